#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

namespace crx {

// One phone of a phoneme file: its symbol, its length and its pitch points
// (percent of the phone, Hz).
struct PhoPhone {
  std::string symbol;
  double seconds = 0;
  std::vector<std::pair<double, double>> points;
};

// Writes the phoneme file the diphone synthesizer reads, guarded against all
// that makes it fail a whole file: every number with a decimal point whatever
// the locale, lengths rounded on a running total so that no time is lost,
// no phone shorter than it keeps, pitches inside a range it sings, pitch
// points thinned so that no line is longer than it reads, and no symbol that
// it would take for something else.
class CPhoWriter {
 public:
  // The longest line the synthesizer reads whole, its line break included.
  static constexpr size_t kMaxLineBytes = 1023;
  // Shorter phones vanish and lose their time.
  static constexpr double kShortestPhoneSeconds = 0.005;
  static constexpr double kLowestHz = 40;
  static constexpr double kHighestHz = 1500;

  // The text of the phones; false with the reason when a phone cannot be
  // written (too short, or a symbol the synthesizer would misread).
  static bool Write(std::span<const PhoPhone> phones, std::string& text, std::string& error);
  // True for a symbol that can stand in a phoneme file.
  static bool IsWritableSymbol(const std::string& symbol);
};

}  // namespace crx
