#include "workflow/SongProducts.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CCantorixDlg.h"
#include "foundation/AppSettings.h"
#include "support/audio/LoudnessPeer.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/video/VideoPeers.h"
#include "support/workflow/StandInStart.h"
#include "video/SyncedLyrics.h"
#include "workflow/Mp3Tagger.h"

namespace crx {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using Dlg = CCantorixDlg;

const std::string kStandInSinger = std::string(CRX_SOURCE_DIR) + "/tests/tools/standin_singer.py";
constexpr const char* kLame = "/usr/bin/lame";
constexpr int kRate = 44100;

bool PeersAvailable() { return fs::exists(kLame) && test::FfmpegAvailable(); }

// The left channel of the sound ffmpeg decodes from a file.
std::vector<int16_t> Decoded(const std::string& path) {
  const std::string cmd =
      "ffmpeg -nostdin -v error -i " + test::ShellQuote(path) + " -f s16le -ac 2 -ar 44100 -";
  std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
  std::vector<int16_t> left;
  int16_t frame[2];
  while (p && std::fread(frame, sizeof frame, 1, p.get()) == 1) left.push_back(frame[0]);
  return left;
}

double Rms(const std::vector<int16_t>& s, size_t from, size_t count) {
  double sum = 0;
  for (size_t i = from; i < from + count && i < s.size(); ++i)
    sum += static_cast<double>(s[i]) * s[i];
  return std::sqrt(sum / static_cast<double>(count));
}

// Where sound starts after ms, looked for from 300 ms before: the first 2 ms
// window at a quarter of the level 50 to 100 ms after ms.
double OnsetMs(const std::vector<int16_t>& s, uint32_t ms) {
  const size_t at = static_cast<size_t>(ms) * kRate / 1000;
  const double steady = Rms(s, at + kRate / 20, kRate / 20);
  const size_t window = kRate / 500;
  const size_t from = at > kRate * 3 / 10 ? at - kRate * 3 / 10 : 0;
  for (size_t i = from; i + window < s.size(); i += kRate / 1000) {
    if (Rms(s, i, window) > steady / 4) return static_cast<double>(i) * 1000.0 / kRate;
  }
  return -1;
}

struct Tags {
  int version = 0;
  std::string title, artist, lyricist, composer, year, lyrics;
  std::vector<std::pair<uint32_t, std::string>> synced;
};

// What TagLib's own reader finds in the file.
Tags ReadTags(const std::string& path) {
  Tags t;
  TagLib::MPEG::File file(path.c_str());
  TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
  if (tag == nullptr) return t;
  t.version = static_cast<int>(tag->header()->majorVersion());
  auto text = [&](const char* id) {
    const auto& frames = tag->frameListMap()[id];
    return frames.isEmpty() ? std::string() : frames.front()->toString().to8Bit(true);
  };
  t.title = text("TIT2");
  t.artist = text("TPE1");
  t.lyricist = text("TEXT");
  t.composer = text("TCOM");
  t.year = text("TDRC");
  for (auto* f : tag->frameListMap()["USLT"]) {
    t.lyrics = static_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame*>(f)->text().to8Bit(true);
  }
  for (auto* f : tag->frameListMap()["SYLT"]) {
    for (const auto& e : static_cast<TagLib::ID3v2::SynchronizedLyricsFrame*>(f)->synchedText()) {
      t.synced.emplace_back(e.time, e.text.to8Bit(true));
    }
  }
  return t;
}

// A start folder with the real renderer and MP3 encoder, the stand-in singer
// (a tone per note), and a song of two lines, the second after a gap.
struct SongProductsTest : ::testing::Test, test::StandInStart {
  SongProductsTest() : StandInStart({"kanji.csv", "english.csv", "white.bmp", "TunepressCRX"}) {
    fs::create_symlink(kStandInSinger, start.File("CantorixSinger"));
    if (fs::exists(kLame)) fs::create_symlink(kLame, start.File("lame"));
  }
  ~SongProductsTest() override { dialog.reset(); }

  static test::XfFileBuilder TwoLines(bool withLyrics = true) {
    test::XfFileBuilder song;
    song.GmReset().MasterVolume(0, 127).Tempo(0, 500000).Program(0, 1, 0).Note(480, 1, 48, 100,
                                                                               400);
    const uint32_t starts[] = {480, 960, 1440, 6240, 6720, 7200};
    const char* lyrics[] = {"さ", "く", "ら/", "<よ", "る", "の/"};
    for (size_t i = 0; i < 6; ++i) {
      song.Note(starts[i], 0, 84, 100, 440);
      if (withLyrics) song.LyricUtf8(starts[i], lyrics[i]);
    }
    song.XfihText(test::XfFileBuilder::Cp932("$XFln:L1:夜桜:作曲者:作詞者::歌手:"));
    return song;
  }

  std::string RunMp3(const std::string& karaoke) {
    ProgramLocations where{start.Path(), {start.File("CantorixSinger")}, {start.File("lame")}, {}};
    dialog = std::make_unique<Dlg>(OutsidePrograms(where, ProgramWaits{20000, 3000, 20, 50}));
    dialog->OnInitDialog();
    dialog->SelectMode(Workflow::kMp3);
    host.AnswerFile(karaoke);
    return dialog->Flow().RunAutomatic();
  }

  TempFolder songs;
  ScriptedHost host;
  ScopedUi scope{host};
  std::unique_ptr<Dlg> dialog;
};

TEST_F(SongProductsTest, TheMp3CarriesItsCreditsAndLyricsTimedWhereTheVoiceSings) {
  if (!PeersAvailable()) GTEST_SKIP() << "lame or ffmpeg is missing";
  const std::string karaoke = TwoLines().WriteTo(songs.File("song.mid"));
  const std::string mp3 = RunMp3(karaoke);
  ASSERT_EQ(mp3, songs.File("song.mp3"));
  EXPECT_EQ(host.Messages(), std::vector<std::string>{});

  const Tags tags = ReadTags(mp3);
  EXPECT_EQ(tags.version, 4);
  EXPECT_EQ(tags.title, "夜桜");
  EXPECT_EQ(tags.artist, "歌手");
  EXPECT_EQ(tags.lyricist, "作詞者");
  EXPECT_EQ(tags.composer, "作曲者");
  EXPECT_EQ(tags.lyrics, "さくら\nよるの");
  ASSERT_EQ(tags.synced.size(), 6u);
  EXPECT_EQ(tags.synced[3].second, "\nよ");

  // Each line's first syllable where the voice starts in the decoded MP3.
  const std::vector<int16_t> sound = Decoded(mp3);
  ASSERT_GT(sound.size(), static_cast<size_t>(4 * kRate));
  for (size_t i : {0u, 3u}) {
    EXPECT_NEAR(OnsetMs(sound, tags.synced[i].first), tags.synced[i].first, 30) << i;
  }
  EXPECT_NEAR(tags.synced[3].first - tags.synced[0].first, 5760 / 480 * 500, 2);

  // The LRC file beside it, timed as the tags are.
  const std::string lrc = test::ReadFileBytes(songs.File("song.lrc"));
  EXPECT_EQ(lrc.substr(0, lrc.find('\n', lrc.find("[au:")) + 1),
            "[ti:夜桜]\n[ar:歌手]\n[au:作詞者]\n");
  const size_t second = lrc.find("\n[", lrc.find("]<")) + 1;
  EXPECT_EQ(lrc.substr(second + 1, 8), SyncedLyrics::LrcTime(tags.synced[3].first));

  // At the target loudness under the ceiling, by ffmpeg's meter.
  const auto loud = test::FfmpegLoudness(mp3);
  ASSERT_TRUE(loud);
  EXPECT_NEAR(loud->integratedLufs, -16, 1);
  EXPECT_LE(loud->truePeakDbfs, -1);
}

TEST_F(SongProductsTest, WithoutLyricsOrWithoutLevellingTheMp3IsStillWhole) {
  if (!PeersAvailable()) GTEST_SKIP() << "lame or ffmpeg is missing";
  test::WriteFileBytes(songs.File("song.lrc"), "[00:00.00]an earlier song\n");
  const std::string karaoke = TwoLines(false).WriteTo(songs.File("song.mid"));
  ASSERT_EQ(RunMp3(karaoke), songs.File("song.mp3"));
  const Tags tags = ReadTags(songs.File("song.mp3"));
  EXPECT_EQ(tags.title, "夜桜");
  EXPECT_EQ(tags.lyrics, "");
  EXPECT_TRUE(tags.synced.empty());
  EXPECT_FALSE(fs::exists(songs.File("song.lrc")));

  // Levelling off: the MP3 sounds as loud as the mix.
  dialog.reset();
  const std::string mix = songs.File("song.wav");
  const OutsidePrograms found = OutsidePrograms::ForStartFolder(start.Path());
  SongProducts off(found, AppSettings::kLoudnessOff);
  ASSERT_TRUE(off.MakeMp3(kLame, mix, songs.File("off.mp3"), karaoke));
  const auto a = test::FfmpegLoudness(mix);
  const auto b = test::FfmpegLoudness(songs.File("off.mp3"));
  ASSERT_TRUE(a && b);
  EXPECT_NEAR(a->integratedLufs, b->integratedLufs, 0.5);
}

TEST_F(SongProductsTest, BadInputEndsWithTheProductOrAClearMessage) {
  if (!PeersAvailable()) GTEST_SKIP() << "lame or ffmpeg is missing";
  const std::string karaoke = TwoLines().WriteTo(songs.File("song.mid"));
  const OutsidePrograms programs = OutsidePrograms::ForStartFolder(start.Path());

  // A silent song: encoded as it is, no endless gain.
  test::WriteSilentWav(songs.File("silent.wav"), 3);
  const SongProducts products(programs, AppSettings::kDefaultLoudness);
  ASSERT_TRUE(products.MakeMp3(kLame, songs.File("silent.wav"), songs.File("silent.mp3"), karaoke));
  const std::vector<int16_t> silent = Decoded(songs.File("silent.mp3"));
  EXPECT_GT(silent.size(), static_cast<size_t>(2 * kRate));
  EXPECT_EQ(Rms(silent, 0, silent.size()), 0);
  EXPECT_EQ(ReadTags(songs.File("silent.mp3")).title, "夜桜");

  // Titles no CP932 text can hold, and a very long one, stay whole.
  SongProducts named(programs, AppSettings::kDefaultLoudness);
  SongCredits given;
  given.title = "🎤𠮷野家の歌 " + std::string(2000, 'x');
  given.composer = "Dvořák";
  named.SetGivenCredits(given);
  ASSERT_TRUE(named.MakeMp3(kLame, songs.File("silent.wav"), songs.File("named.mp3"), karaoke));
  const Tags tags = ReadTags(songs.File("named.mp3"));
  EXPECT_EQ(tags.title, given.title);
  EXPECT_EQ(tags.composer, "Dvořák");
  EXPECT_EQ(tags.lyricist, "作詞者");
  EXPECT_NE(test::ReadFileBytes(songs.File("named.lrc")).find("[ti:🎤𠮷野家の歌"),
            std::string::npos);
  EXPECT_TRUE(host.Messages().empty());

  // An "MP3" the encoder did not write: told, and left as it is.
  Program("lame", "cp \"$1\" \"$2\"");
  ASSERT_TRUE(products.MakeMp3(start.File("lame"), songs.File("silent.wav"), songs.File("copy.mp3"),
                               karaoke));
  EXPECT_EQ(host.Messages(), std::vector<std::string>{
                                 FillMessage(Mp3Tagger::kNotMp3Message, songs.File("copy.mp3"))});
  EXPECT_EQ(test::ReadFileBytes(songs.File("copy.mp3")).substr(0, 4), "RIFF");
  // A mix that cannot be levelled gives no MP3 at all.
  host.Clear();
  test::WriteFileBytes(songs.File("broken.wav"), "RIFF....WAVEjunk");
  EXPECT_FALSE(
      products.MakeMp3(kLame, songs.File("broken.wav"), songs.File("broken.mp3"), karaoke));
  EXPECT_FALSE(fs::exists(songs.File("broken.mp3")));
  EXPECT_FALSE(host.Messages().empty());
  // No temporary file is left behind.
  for (const auto& entry : fs::directory_iterator(songs.Path())) {
    EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
  }
}

}  // namespace
}  // namespace crx
