#include "video/LyricreelCommand.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "karaoke/XfKaraokeData.h"
#include "support/karaoke/SongInfoFileBuilder.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/video/VideoPeers.h"
#include "video/LyricSheet.h"
#include "video/VideoMessages.h"
#include "video/VideoText.h"

namespace crx {
namespace {

using test::XfFileBuilder;

// Sets an environment variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) old_ = old;
    had_ = old != nullptr;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    out.push_back(e.path().filename().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string Message(std::string_view message, std::string_view argument = {}) {
  return VideoText::WithArgument(message, argument);
}

class LyricreelCommandTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;
  std::string out = tmp.File("out");  // the video's folder
  std::string scratch = tmp.File("scratch");
  std::unique_ptr<ScopedEnv> tmpdir;

  void SetUp() override {
    std::filesystem::create_directory(out);
    std::filesystem::create_directory(scratch);
    tmpdir = std::make_unique<ScopedEnv>("TMPDIR", scratch);
  }

  // A song of a few seconds: the first note at tick 480 (0.5 s at 120 a
  // minute), "あいう" / "えお" from there on.
  std::string ShortSong(bool withLyrics = true) {
    XfFileBuilder b;
    b.Tempo(0, 500000).Note(480, 0, 60, 100, 1920);
    b.LyricsUtf8(480, 240, {"あ", "い", "う/", "え", "お"});
    if (!withLyrics) b.WithoutChunk("XFKM");
    return b.WriteTo(tmp.File("song.mid"));
  }
  std::string Wav(double seconds) {
    const std::string path = tmp.File("mix.wav");
    test::WriteSilentWav(path, seconds);
    return path;
  }
  int Run(std::vector<std::string> args) { return RunLyricreelCommand(args); }
  // Nothing but the video is left anywhere.
  void ExpectNoTemporaryFiles(const std::vector<std::string>& videos) {
    EXPECT_EQ(FilesIn(out), videos);
    EXPECT_TRUE(FilesIn(scratch).empty());
  }
};

bool HaveFfmpeg() { return test::ProgramAvailable("ffmpeg") && test::ProgramAvailable("ffprobe"); }

TEST_F(LyricreelCommandTest, TheExampleSongBecomesAWmvWithTitleCardAndTimedLyrics) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string info = tmp.File("song_info.lrd");
  test::SongInfoFileBuilder()
      .BlockText(256, XfFileBuilder::Cp932("ふるさと"))
      .BlockText(0, XfFileBuilder::Cp932("岡野貞一"))
      .BlockText(64, XfFileBuilder::Cp932("高野辰之"))
      .Header(16, 3, 1, 8)
      .WriteTo(info);
  const std::string video = out + "/ふるさと.wmv";
  const double seconds = 37.5;  // the song lasts 34.8 s from its first note
  ASSERT_EQ(Run({Wav(seconds), std::string(CRX_SOURCE_DIR) + "/examples/furusato.mid", video,
                 tmp.File("no-background.bmp"), info, CRX_START_FOLDER}),
            0);
  EXPECT_EQ(
      host.Messages(),
      (std::vector<std::string>{Message(kMsgBackgroundUnreadable, tmp.File("no-background.bmp"))}));
  ExpectNoTemporaryFiles({"ふるさと.wmv"});

  const test::VideoProbe probe = test::ProbeVideo(video);
  EXPECT_EQ(probe.format, "asf");
  EXPECT_EQ(probe.videoCodec, "wmv2");
  EXPECT_EQ(probe.audioCodec, "wmav2");
  EXPECT_EQ(probe.width, 640);
  EXPECT_EQ(probe.height, 480);
  EXPECT_NEAR(probe.duration, seconds, 0.1);
  EXPECT_EQ(test::DecodeErrors(video), "");

  // The first lyric sounds at 2.05 s, the second page's at 18.4 s, the last
  // wipe ends at 34.8 s and its page a second later.
  const auto title = test::FrameText(video, 0.2);
  if (!title) GTEST_SKIP() << "tesseract or convert is not installed";
  EXPECT_GE(test::ShareRead("ふるさと", *title), 0.75) << *title;
  EXPECT_GE(test::ShareRead("作曲岡野貞一作詞高野辰之", *title), 0.6) << *title;
  const std::string page1 = test::FrameText(video, 8.0).value_or("");
  EXPECT_GE(test::ShareRead("兎追いし彼の山小鮒釣りし彼の川", page1), 0.6) << page1;
  EXPECT_GE(test::ShareRead("うさぎ", page1), 0.67) << page1;  // the ruby above its base
  const std::string page2 = test::FrameText(video, 25.0).value_or("");
  EXPECT_GE(test::ShareRead("夢は今もめぐりて忘れ難き故郷", page2), 0.6) << page2;
  EXPECT_LT(test::ShareRead("兎追いし彼の山", page2), 0.3) << page2;
  const std::string after = test::FrameText(video, 37.0).value_or("?");
  EXPECT_LT(test::ShareRead("夢は今もめぐりて忘れ難き故郷", after), 0.2) << after;
}

// The real karaoke file of the shared test data, when it is there: its first
// sung page shows its lyrics with their readings above and no controls.
TEST_F(LyricreelCommandTest, ARealKaraokeFileShowsItsLyricsWithFuriganaAndNoControls) {
  const std::string file = std::string(CRX_SHARED_DIR) + "/testdata/xf-real/haruyoko.mid";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no real karaoke file in the shared folder";
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  double at = 0;
  {
    const LyricSheet sheet = LyricSheet::FromSong(XfKaraokeData(file), 0);
    for (const auto& page : sheet.Pages()) {
      if (page.caption) continue;
      at = page.FirstStart() + 0.2;  // before the wipe has gone far
      break;
    }
  }
  ASSERT_GT(at, 0);
  const std::string video = out + "/haruyoko.wmv";
  ASSERT_EQ(Run({"--furigana", "file", Wav(at + 0.5), file, video, "", "", tmp.Path()}), 0);
  const auto text = test::FrameText(video, at);
  if (!text) GTEST_SKIP() << "tesseract or convert is not installed";
  EXPECT_GE(test::ShareRead("淡き光立つ俄雨いとし面影の沈丁花", *text), 0.6) << *text;
  EXPECT_GE(test::ShareRead("あわにわかあめおもかげじんちょうげ", *text), 0.5) << *text;
  EXPECT_EQ(text->find_first_of("<>[]/"), std::string::npos) << *text;
}

TEST_F(LyricreelCommandTest, Mp4AtAnotherSizeKeepsTheImageProportionsAndTheWavLength) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  // A red image twice as wide as high: white bars above and below it.
  const std::string image = tmp.File("red.png");
  ASSERT_EQ(std::system(("ffmpeg -v error -f lavfi -i color=c=red:s=320x160 -frames:v 1 " +
                         test::ShellQuote(image))
                            .c_str()),
            0);
  const std::string video = out + "/song.MP4";
  ASSERT_EQ(Run({"--size", "1280x720", "--offset-ms", "-300", Wav(3.2), ShortSong(), video, image,
                 "", tmp.Path()}),
            0);
  EXPECT_TRUE(host.Messages().empty());
  ExpectNoTemporaryFiles({"song.MP4"});
  const test::VideoProbe probe = test::ProbeVideo(video);
  EXPECT_EQ(probe.videoCodec, "h264");
  EXPECT_EQ(probe.audioCodec, "aac");
  EXPECT_EQ(probe.width, 1280);
  EXPECT_EQ(probe.height, 720);
  EXPECT_NEAR(probe.duration, 3.2, 0.1);
  EXPECT_EQ(test::DecodeErrors(video), "");
  const std::string bytes = test::ReadFileBytes(video);
  EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));  // the index comes first

  const auto pixels = test::FramePixels(video, 0.1);
  ASSERT_EQ(pixels.size(), 1280u * 720 * 3);
  auto at = [&](int x, int y) { return &pixels[(static_cast<size_t>(y) * 1280 + x) * 3]; };
  EXPECT_GT(at(640, 20)[0], 230);  // padding: white
  EXPECT_GT(at(640, 20)[2], 230);
  EXPECT_GT(at(640, 200)[0], 200);  // the image: red
  EXPECT_LT(at(640, 200)[2], 60);
}

TEST_F(LyricreelCommandTest, AnMp4IsHdWithTheKaraokeFilesCardAndCountsALateLineIn) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  // A note at 0 s, the first line at 4 s, the second, on a page of its own,
  // 9.5 s after the first line's last syllable: counted in from 12 to 14 s.
  XfFileBuilder b;
  b.Tempo(0, 500000).Note(0, 1, 48, 100, 480);
  b.LyricsUtf8(3840, 240, {"あ", "い", "う/"}).LyricsUtf8(13440, 240, {"<え", "お"});
  b.XfihText(XfFileBuilder::Cp932("$XFln:L1:春の歌:山田作曲:川口作詞::森歌手:"));
  const std::string song = b.WriteTo(tmp.File("late.mid"));
  const std::string video = out + "/late.mp4";
  ASSERT_EQ(Run({Wav(15), song, video, "", "", tmp.Path()}), 0);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{Message(kMsgBackgroundUnreadable, "")});
  const test::VideoProbe probe = test::ProbeVideo(video);
  EXPECT_EQ(probe.width, 1280);
  EXPECT_EQ(probe.height, 720);

  // Blue dots in the strip over the second line's start.
  auto dots = [&](double seconds) {
    const auto pixels = test::FramePixels(video, seconds);
    if (pixels.size() != 1280u * 720 * 3) return -1;
    int count = 0;
    for (int y = 380; y < 460; ++y) {
      for (int x = 40; x < 320; ++x) {
        const unsigned char* p = &pixels[(static_cast<size_t>(y) * 1280 + x) * 3];
        if (p[2] > p[0] + 60) ++count;
      }
    }
    return count;
  };
  const int before = dots(11.8);
  const int four = dots(12.25);
  const int one = dots(13.75);
  const int after = dots(14.25);
  EXPECT_EQ(before, 0);
  EXPECT_GT(one, 30);
  EXPECT_NEAR(static_cast<double>(four) / one, 4.0, 0.8) << four << " " << one;
  EXPECT_EQ(after, 0);
  EXPECT_EQ(dots(3.0), 0);  // the first line waits only 4 s: no count

  // No song-information file: the karaoke file's title and names.
  const auto card = test::FrameText(video, 1.0);
  if (!card) GTEST_SKIP() << "tesseract or convert is not installed";
  EXPECT_GE(test::ShareRead("春の歌", *card), 0.6) << *card;
  EXPECT_GE(test::ShareRead("作曲山田作曲作詞川口作詞歌森歌手", *card), 0.6) << *card;
}

TEST_F(LyricreelCommandTest, ABrokenBackgroundOrMissingLyricsStillGiveAVideo) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string image = tmp.File("broken.jpg");
  test::WriteFileBytes(image, "\xFF\xD8\xFF not really a picture");
  const std::string info = tmp.File("short.lrd");
  test::WriteFileBytes(info, "too short");
  const std::string song = ShortSong(false);
  const std::string video = out + "/v.wmv";
  ASSERT_EQ(Run({Wav(2), song, video, image, info, tmp.Path()}), 0);
  const auto messages = host.Messages();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[0], "XFDT2F000001 カラオケ用MIDIファイルではありません。");
  EXPECT_EQ(messages[1], Message(kMsgNoLyrics, song));
  EXPECT_EQ(messages[2], Message(kMsgSongInfoBroken, info));
  EXPECT_EQ(messages[3], Message(kMsgBackgroundUnreadable, image));
  ExpectNoTemporaryFiles({"v.wmv"});
  EXPECT_NEAR(test::ProbeVideo(video).duration, 2, 0.1);
  const auto pixels = test::FramePixels(video, 1);
  ASSERT_FALSE(pixels.empty());
  EXPECT_GT(pixels[0], 230);  // white
}

TEST_F(LyricreelCommandTest, BadInputFailsWithAMessageAndLeavesNothingBehind) {
  const std::string song = ShortSong();
  const std::string wav = Wav(1);
  const std::string video = out + "/v.wmv";

  EXPECT_EQ(Run({wav, song, out + "/v.avi", "", "", ""}), 1);
  EXPECT_EQ(host.Messages().back(), Message(kMsgUnknownFormat, out + "/v.avi"));

  const std::string notWav = tmp.File("not.wav");
  test::WriteFileBytes(notWav, "RIFF....AVI LIST");
  host.Clear();
  EXPECT_EQ(Run({notWav, song, video, "", "", ""}), 1);
  EXPECT_FALSE(host.Messages().empty());

  host.Clear();
  EXPECT_EQ(Run({wav, tmp.File("missing.mid"), video, "", "", ""}), 1);
  EXPECT_EQ(host.Messages().back(), Message(kMsgKaraokeUnreadable, tmp.File("missing.mid")));

  EXPECT_EQ(Run({"--size", "641x480", wav, song, video, "", "", ""}), 1);
  EXPECT_EQ(Run({"--furigana", "some", wav, song, video, "", "", ""}), 1);
  EXPECT_EQ(Run({wav, song, video, "", ""}), 1);

  if (HaveFfmpeg()) {
    host.Clear();
    const std::string unwritable = tmp.File("no-such-folder") + "/v.wmv";
    EXPECT_EQ(Run({wav, song, unwritable, "", "", ""}), 1);
    EXPECT_EQ(host.Messages().back(), Message(kMsgCannotWrite, unwritable));
  }
  ExpectNoTemporaryFiles({});
}

// A stand-in for ffmpeg on the PATH: it lists the encoders and the filter, and
// fails every encode after writing part of its output.
TEST_F(LyricreelCommandTest, AMissingOrFailingFfmpegLeavesNoPartialVideo) {
  const std::string bin = tmp.File("bin");
  std::filesystem::create_directory(bin);
  const std::string fake = bin + "/ffmpeg";
  test::WriteFileBytes(fake,
                       "#!/bin/sh\n"
                       "case \"$*\" in\n"
                       "*-encoders*) printf ' V..... wmv2 x\\n A..... wmav2 x\\n' ;;\n"
                       "*-filters*) printf ' ... ass V->V x\\n' ;;\n"
                       "*) for a; do last=$a; done; printf partial > \"${last#file:}\"\n"
                       "   echo 'first line' >&2; echo 'Conversion failed!' >&2; exit 1 ;;\n"
                       "esac\n");
  chmod(fake.c_str(), 0755);
  const std::string song = ShortSong();
  const std::string wav = Wav(1);
  const std::string video = out + "/v.wmv";
  test::WriteFileBytes(video, "the video made before");
  {
    ScopedEnv path("PATH", bin + ":/usr/bin:/bin");
    EXPECT_EQ(Run({wav, song, video, "", "", ""}), 1);
  }
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{Message(kMsgBackgroundUnreadable, ""),
                                                       Message(kMsgEncodeFailed, video),
                                                       "ffmpeg: Conversion failed!"}));
  EXPECT_EQ(test::ReadFileBytes(video), "the video made before");
  ExpectNoTemporaryFiles({"v.wmv"});

  std::filesystem::remove(fake);
  std::filesystem::remove(video);
  host.Clear();
  {
    ScopedEnv path("PATH", bin);
    EXPECT_EQ(Run({wav, song, video, "", "", ""}), 1);
  }
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{Message(kMsgFfmpegMissing)}));
  ExpectNoTemporaryFiles({});
}

}  // namespace
}  // namespace crx
