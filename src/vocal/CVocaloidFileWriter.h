#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ModuleReporter.h"
#include "lyrics/VocalNote.h"

namespace crx {

class CVocaloid;
class CVocalistList;
class MidiFormat1Data;
class MidiTrackData;
struct VocalistEntry;

// Tag and codes of the writer's messages ("VOFW%08X %s").
inline constexpr std::string_view kVofwTag = "VOFW";
inline constexpr uint32_t kVofwBadTempo = 1;
ModuleReporter& VofwReporter();

// Writes the vocal MIDI: a format 1 file of division 480 whose conductor
// track "Master Track" carries the song's tempo map and whose voice track
// "Voice1" carries the vocal sequence as "DM:%04d:" text events followed by
// its NRPN control stream. Exists for one write; runs on a worker thread.
class CVocaloidFileWriter {
 public:
  static constexpr int kDivision = 480;
  static constexpr int kControlChannel = 0;
  static constexpr std::string_view kConductorName = "Master Track";
  static constexpr std::string_view kVoiceTrackPrefix = "Voice";
  static constexpr int kVoiceTrackNumber = 1;

  // notes: the records in time order, the end record last (copied: the
  // caller's records are not changed). sourceTrack: the karaoke song's main
  // track, whose tempo events give the conductor track.
  CVocaloidFileWriter(std::span<const VocalNote> notes, const MidiTrackData& sourceTrack,
                      int pauseLength);
  ~CVocaloidFileWriter();
  CVocaloidFileWriter(const CVocaloidFileWriter&) = delete;
  CVocaloidFileWriter& operator=(const CVocaloidFileWriter&) = delete;

  // Builds both tracks for the singer (its name in "IDS=", its program in the
  // initial control block).
  void Build(std::string_view singerName, int32_t program);
  // Pauses for the pause length, then writes the file. True when written.
  bool Save(const std::string& path);

  const MidiFormat1Data& File() const { return *file_; }

  // The whole write of step 3 and the automatic run: the singer is the
  // list's first entry.
  static bool WriteVocalFile(const CVocaloid& vocaloid, const CVocalistList& voices,
                             const std::string& path, const MidiTrackData& mainTrack);

 private:
  void BuildConductor(MidiTrackData& track);
  void BuildVoice(MidiTrackData& track, std::string_view singerName, int32_t program);

  const MidiTrackData& source_;
  int division_ = kDivision;
  int count_ = 0;
  int pauseLength_ = 0;
  std::unique_ptr<MidiFormat1Data> file_;
  std::vector<VocalNote> notes_;
};

}  // namespace crx
