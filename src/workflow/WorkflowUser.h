#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "foundation/FileHelpers.h"
#include "workflow/VocalPipeline.h"

namespace crx {

class CVocaloid;
class XfKaraokeData;
struct MixSettings;

// A program path as the settings keep it, which the user may change.
using ProgramField = std::array<char, kPathFieldSize>;

// What step 2 hands the user: the song, the syllables to fill and how.
struct LyricsReview {
  XfKaraokeData& song;
  CVocaloid& vocaloid;
  int melodyChannel;
  std::string dictionaryFolder;
  std::string melodyNote;  // why the melody channel is the one it is
};

// What the video needs from the user: its texts, written to the
// song-information file of the working folder; the background image of the
// settings may be changed on the way.
struct VideoRequest {
  std::string mixWavPath;
  std::string karaokeMidiPath;
  std::string videoPath;
  std::string workFolder;
  ProgramField& backgroundPath;
  const XfKaraokeData* song;
};

// Everything the steps need from the user, asked at the moment a step needs
// it. The window answers with its dialogs, the automatic command from its
// options, the tests from a script. Answers arrive on the thread that runs
// the step.
class WorkflowUser {
 public:
  virtual ~WorkflowUser() = default;

  // The karaoke file (step 1 and the automatic run); none: cancelled.
  virtual std::optional<std::string> KaraokeFile() = 0;
  // Shows the melody's range and may move it by octaves; false refuses it.
  virtual bool MelodyRange(crx::MelodyRange& range) = 0;
  // Step 2: the corrections of the lyrics and the review of their
  // conversion, which leaves the syllables in the review's vocaloid.
  virtual void ReviewLyrics(LyricsReview& review) = 0;
  // Step 3: where the vocal MIDI goes; none: cancelled.
  virtual std::optional<std::string> VocalMidiPath() = 0;
  // Step 4 before the singer starts: what the user is to do; the program
  // may be changed.
  virtual void BeforeSinger(const std::string& vocalMidiPath, const std::string& vocalWavPath,
                            ProgramField& singer) = 0;
  // A singing-voice program, asked while the settings name none that
  // exists; none: cancelled.
  virtual std::optional<std::string> SingerProgram() = 0;
  // Step 6: where the mix goes (none: cancelled), then its six values.
  virtual std::optional<std::string> MixPath() = 0;
  virtual void MixValues(const std::string& vocalWavPath, const std::string& accompanimentWavPath,
                         const std::string& mixWavPath, MixSettings& values) = 0;
  // Step 7: whether the MP3 is made (false: skipped); the encoder may be
  // changed.
  virtual bool WantMp3(ProgramField& encoder) = 0;
  // Step 8 and the automatic run's video: the path of the song-information
  // file the texts went to.
  virtual std::string VideoTexts(const VideoRequest& request) = 0;
  // Step 9: which of the files (vocal MIDI, vocal WAV, accompaniment WAV,
  // mix) go; 1 = delete.
  virtual void FilesToRemove(const std::array<std::string, 4>& files,
                             std::array<int32_t, 4>& flags) = 0;
};

}  // namespace crx
