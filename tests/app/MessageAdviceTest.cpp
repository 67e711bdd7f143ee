#include "app/MessageAdvice.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "audio/AudioMessages.h"
#include "audio/CWaveFile.h"
#include "audio/MixSettings.h"
#include "audio/MixSong.h"
#include "foundation/Diagnostics.h"
#include "foundation/SystemReason.h"
#include "karaoke/KaraokeFileLoader.h"
#include "support/audio/WavBuilder.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using test::TempFolder;

// The diagnostics the action reports, as a collector on this thread gets them.
std::vector<Diagnostic> Reported(const std::function<void()>& action) {
  DiagnosticCollector collector;
  action();
  return collector.Take();
}

bool WriteWave(const std::string& path) {
  CWaveFile out(2, 44100, 16);
  if (out.Open(CWaveFile::kModeWrite, path) != 0) return false;
  return out.Close();
}

std::string Song(const TempFolder& tmp) {
  test::XfFileBuilder b;
  b.Tempo(0, 500000).Note(0, 0, 60, 100, 480).LyricUtf8(0, "う");
  return b.WriteTo(tmp.File("song.mid"));
}

// A stereo 16-bit WAV of a second's silence, cut to the given length.
std::string Wave(const TempFolder& tmp, const std::string& name, size_t keep = std::string::npos) {
  test::WavBuilder b;
  b.Data(std::vector<uint8_t>(44100 * 4, 0));
  b.WriteTo(tmp.File(name));
  std::string bytes = test::ReadFileBytes(tmp.File(name));
  test::WriteFileBytes(tmp.File(name), bytes.substr(0, keep));
  return tmp.File(name);
}

bool Mix(const std::string& vocal, const std::string& accompaniment, const std::string& out) {
  return MixSong(vocal, accompaniment, out, MixSettings{}, 500000, "");
}

TEST(MessageAdviceTest, FileFailuresAUserMeetsAreExplainedUnderTheUnchangedMessage) {
  TempFolder tmp;
  const std::string wave = Wave(tmp, "vocal.wav");
  const std::string locked = tmp.File("locked");
  ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
  const std::string waveError(kMsgWaveFileError);
  struct Case {
    const char* name;
    std::function<void()> fail;
    std::string message;  // the first message, word for word
    std::string cause;    // how its advice begins
    bool asRoot = true;   // false: root may write anywhere, the row is skipped
  };
  const std::vector<Case> cases = {
      {"wav into a missing folder", [&] { WriteWave(tmp.File("gone/vocal.wav")); },
       WithSystemReason(waveError, ENOENT), "保存先のフォルダがありません"},
      {"wav into a read-only folder", [&] { WriteWave(locked + "/vocal.wav"); },
       WithSystemReason(waveError, EACCES), "保存先に書き込む許可がない", false},
      {"wav onto a full disk", [&] { WriteWave("/dev/full"); }, WithSystemReason(waveError, ENOSPC),
       "保存先のディスクがいっぱいです"},
      {"mix into a missing folder", [&] { Mix(wave, wave, tmp.File("gone/mix.wav")); },
       WithSystemReason(waveError, ENOENT), "保存先のフォルダがありません"},
      {"mix of a missing wav", [&] { Mix(tmp.File("none.wav"), wave, tmp.File("mix.wav")); },
       std::string(kMsgWaveOpenFailed), "ファイルが見つかりません"},
      {"mix of a wav cut in its data",
       [&] { Mix(Wave(tmp, "cut.wav", 1000), wave, tmp.File("mix.wav")); }, waveError,
       "ファイルが途中で切れています"},
      {"mix of a wav cut in its header",
       [&] { Mix(Wave(tmp, "head.wav", 30), wave, tmp.File("mix.wav")); }, waveError,
       "ファイルが途中で切れています"},
      {"mix of what is no wav",
       [&] {
         test::WriteFileBytes(tmp.File("notes.wav"), "さくら さくら やよいの空は");
         Mix(wave, tmp.File("notes.wav"), tmp.File("mix.wav"));
       },
       waveError, "ファイルが壊れているか、形式が違います"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.asRoot && geteuid() == 0) continue;
    const std::vector<Diagnostic> reported = Reported(c.fail);
    ASSERT_FALSE(reported.empty());
    const Diagnostic& first = reported.front();
    EXPECT_EQ(first.text, c.message);
    const std::string advice(MessageAdvice::For(first));
    EXPECT_EQ(advice.substr(0, c.cause.size()), c.cause);
    EXPECT_EQ(MessageAdvice::WithAdvice(first), c.message + "\n" + advice);
  }
  chmod(locked.c_str(), 0755);
}

TEST(MessageAdviceTest, EveryCutOfAKaraokeFileThatIsRefusedIsExplained) {
  TempFolder tmp;
  const std::string whole = test::ReadFileBytes(Song(tmp));
  const std::string cut = tmp.File("cut.mid");
  for (size_t keep = 1; keep < whole.size(); ++keep) {
    SCOPED_TRACE(keep);
    test::WriteFileBytes(cut, whole.substr(0, keep));
    bool loaded = false;
    const std::vector<Diagnostic> reported =
        Reported([&] { loaded = KaraokeFileLoader::Load(cut) != nullptr; });
    if (loaded) continue;  // a cut that costs only the end of the lyrics still loads
    ASSERT_FALSE(reported.empty());
    EXPECT_FALSE(MessageAdvice::For(reported.front()).empty()) << reported.front().text;
  }
}

}  // namespace
}  // namespace crx
