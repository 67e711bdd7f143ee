#pragma once

#include <utility>
#include <vector>

namespace crx {

// The pitch a diphone synthesizer is asked for over one phrase. The
// synthesizer cuts every pitch period to a whole number of samples, which
// sings a held note up to one sample's period sharp. So the held pitch is
// asked for as a period swept back and forth over one whole sample (a 40 Hz
// triangle): the cut periods then alternate between the two neighbours in
// the proportion that averages to the true period. At 40 Hz every frame of
// a pitch tracker sees whole sweeps, so that its median lands on the note
// too, not only its mean. Each note holds its
// pitch from its first phone, vibrato on top where asked for, and glides
// into the next note over the last moments before it.
class CPitchCurve {
 public:
  static constexpr double kDitherHz = 40;
  // Pitch points lie on the dither's turning points; the synthesizer draws
  // the straight lines between them.
  static constexpr double kGridSeconds = 1.0 / (2 * kDitherHz);
  static constexpr double kGlideSeconds = 0.03;
  static constexpr double kVibratoRampSeconds = 0.2;

  struct Segment {
    double from = 0;  // seconds
    double hz = 0;
    double vibratoFrom = 0;  // seconds; vibrato only with cents > 0
    double vibratoCents = 0;
    double vibratoRate = 0;  // Hz
  };

  // origin: where the phrase starts (the grid's zero); sampleRate: the
  // synthesizer's output rate.
  CPitchCurve(double origin, int sampleRate);

  // Segments in time order; each holds until the next one's start.
  void Add(const Segment& segment);
  bool Empty() const { return segments_.empty(); }

  // The pitch asked for at time t (seconds).
  double At(double t) const;
  // The points of a phone from a to b: (percent of the phone, Hz), at its
  // ends and on the grid between them.
  std::vector<std::pair<double, double>> Points(double a, double b) const;

 private:
  double Held(const Segment& s, double t) const;

  double origin_;
  double sampleRate_;
  std::vector<Segment> segments_;
};

}  // namespace crx
