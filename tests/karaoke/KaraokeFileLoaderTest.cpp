#include "karaoke/KaraokeFileLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "karaoke/LyricTextDecoder.h"
#include "karaoke/MelodyChannelFinder.h"
#include "platform/TextCodec.h"
#include "support/karaoke/MultiTrackFileBuilder.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/midi/MidiTestBytes.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"

namespace crx {
namespace {

using test::MultiTrackFileBuilder;
using test::XfFileBuilder;

const std::string kNotKaraoke = "XFDT2F000001 カラオケ用MIDIファイルではありません。";
const std::string kNoMasterVolume =
    "XFDT2F000003 GM Restのあとにマスターボリュームがないため、無音になる可能性があります。";
const std::string kNoLyrics = "XFDT2F000004 歌詞のないMIDIファイルです。";

std::string Sjis(std::string_view utf8) { return XfFileBuilder::Cp932(utf8); }

// The lyric track as "tick text" lines, cue points marked "cue".
std::vector<std::string> LyricLines(const XfKaraokeData& song) {
  std::vector<std::string> out;
  if (song.LyricTrack() == nullptr) return out;
  int64_t tick = 0;
  for (const MidiEvent& ev : song.LyricTrack()->Events()) {
    tick += ev.delta;
    if (ev.IsMeta(kMetaLyric)) out.push_back(std::to_string(tick) + " " + ev.Text());
    if (ev.IsMeta(kMetaCuePoint)) out.push_back(std::to_string(tick) + " cue " + ev.Text());
  }
  return out;
}

std::vector<std::string> LyricTexts(const XfKaraokeData& song) {
  std::vector<std::string> out;
  if (song.LyricTrack() == nullptr) return out;
  for (const MidiEvent& ev : song.LyricTrack()->Events()) {
    if (ev.IsMeta(kMetaLyric)) out.push_back(ev.Text());
  }
  return out;
}

int CountMeta(const MidiTrackData& track, int type) {
  int n = 0;
  for (const MidiEvent& ev : track.Events()) n += ev.IsMeta(type) ? 1 : 0;
  return n;
}

int CountNotes(const MidiTrackData& track, int channel) {
  int n = 0;
  for (const MidiEvent& ev : track.Events()) {
    n += ev.kind == MidiKind::Note && ev.channel == channel ? 1 : 0;
  }
  return n;
}

// A .kar file as the karaoke programs write it: headers in the first track,
// a "Words" track with "@" lines and syllables, the music in a third.
MultiTrackFileBuilder KarSong() {
  MultiTrackFileBuilder b;
  b.Track().Tempo(0, 500000).Text(0, "@KMIDI KARAOKE FILE").Text(0, "@V0100").Text(0, "@Iinfo");
  b.Track("Words").Text(0, "@LENGL").Text(0, "@TTwinkle").Text(0, "@TTraditional");
  b.Text(480, "\\Twin").Text(720, "kle ").Text(960, "/lit").Text(1200, "tle ").Text(1440, "star");
  b.Track("Melody").Program(0, 0, 73);
  for (uint32_t t = 480; t <= 1440; t += 240) b.Note(t, 0, 60, 100, 240);
  b.Track("Bass").Note(0, 1, 40, 90, 1920).Text(0, "(c) someone");
  return b;
}

class KaraokeFileLoaderTest : public ::testing::Test {
 protected:
  ScriptedHost host;
  ScopedUi scope{host};
  test::TempFolder tmp;

  std::unique_ptr<XfKaraokeData> FromBytes(const std::string& bytes, const std::string& path = {}) {
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    return KaraokeFileLoader::LoadBytes(data, path);
  }
};

TEST_F(KaraokeFileLoaderTest, AnXfFileLoadsAsTheXfReaderReadsIt) {
  XfFileBuilder b;
  b.GmReset(0).MasterVolume(0, 127).Tempo(0, 500000).Program(0, 0, 73);
  b.Note(0, 0, 60, 100, 480).Note(480, 0, 62, 100, 480).Note(0, 1, 48, 80, 960);
  b.LyricMeta(0, 0x07, "$Lyrc:1:0:JP").LyricUtf8(0, "う").LyricUtf8(480, "さ/");
  b.Trailing(std::string(16, '\xF8'));
  const std::string path = b.WriteTo(tmp.File("xf.mid"));

  XfKaraokeData direct(path);
  auto song = KaraokeFileLoader::Load(path);
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(song->Kind(), KaraokeKind::Xf);
  EXPECT_EQ(song->Path(), path);
  EXPECT_EQ(test::Describe(song->MainTrack()), test::Describe(direct.MainTrack()));
  EXPECT_EQ(LyricLines(*song), LyricLines(direct));
  EXPECT_EQ(song->XfihChunk(), direct.XfihChunk());
  EXPECT_TRUE(song->TitleLines().empty());
  EXPECT_EQ(song->LyricSourceChannel(), -1);

  // Written back byte for byte (the padding is no part of the song).
  const std::string out = tmp.File("out.mid");
  ASSERT_TRUE(song->Write(out));
  XfFileBuilder expected = b;
  expected.Trailing("");
  EXPECT_EQ(test::ReadFileBytes(out), expected.Bytes());
}

TEST_F(KaraokeFileLoaderTest, AKarFileBecomesLyricsInTheXfConvention) {
  auto song = FromBytes(KarSong().Bytes());
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(song->Kind(), KaraokeKind::SoftKaraoke);
  EXPECT_EQ(LyricLines(*song), (std::vector<std::string>{"480 <Twin", "720 kle ", "960 /",
                                                         "960 lit", "1200 tle ", "1440 star"}));
  EXPECT_EQ(song->TitleLines(), (std::vector<std::string>{"Twinkle", "Traditional"}));
  EXPECT_EQ(song->Division(), 480);
  // Every track's music is in the one main track, the syllables are not.
  EXPECT_EQ(song->MainTrack().Form(), kFormNotes);
  EXPECT_EQ(CountNotes(song->MainTrack(), 0), 5);
  EXPECT_EQ(CountNotes(song->MainTrack(), 1), 1);
  EXPECT_EQ(CountMeta(song->MainTrack(), kMetaTempo), 1);
  for (const MidiEvent& ev : song->MainTrack().Events()) {
    if (ev.IsMeta(kMetaText)) {
      EXPECT_TRUE(ev.Text()[0] == '@' || ev.Text() == "(c) someone") << ev.Text();
    }
  }
  // Lyrics of words without "Words": the ".kar" name marks the file.
  MultiTrackFileBuilder unnamed;
  unnamed.Track().Tempo(0, 500000).Note(0, 0, 60, 100, 480);
  unnamed.Track().Text(0, "\\Oh ").Text(240, "/my");
  auto byName = FromBytes(unnamed.Bytes(), "/songs/oh.KAR");
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(byName->Kind(), KaraokeKind::SoftKaraoke);
  EXPECT_EQ(LyricLines(*byName), (std::vector<std::string>{"0 <Oh ", "240 /", "240 my"}));
  // Without any mark, text events are no lyrics.
  host.Clear();
  EXPECT_EQ(FromBytes(unnamed.Bytes(), "/songs/oh.mid"), nullptr);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{kNoLyrics});
}

TEST_F(KaraokeFileLoaderTest, AKarFileTakesTheKindOfLyricEventItHasMoreOf) {
  MultiTrackFileBuilder more;
  more.Track().Text(0, "@KMIDI KARAOKE FILE").Note(0, 0, 60, 100, 960);
  more.Track().Text(0, "one").Lyric(0, "\\a").Lyric(240, "b").Lyric(480, "/c");
  auto song = FromBytes(more.Bytes());
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(song->Kind(), KaraokeKind::SoftKaraoke);
  EXPECT_EQ(LyricTexts(*song), (std::vector<std::string>{"<a", "b", "/", "c"}));
  // The text event that lost stays behind, harmless, in the main track.
  EXPECT_EQ(CountMeta(song->MainTrack(), kMetaText), 2);
  EXPECT_EQ(CountMeta(song->MainTrack(), kMetaLyric), 0);

  MultiTrackFileBuilder tie;
  tie.Track("Words").Text(0, "x").Lyric(0, "y");
  auto tied = FromBytes(tie.Bytes());
  ASSERT_NE(tied, nullptr);
  EXPECT_EQ(LyricTexts(*tied), std::vector<std::string>{"x"});
}

TEST_F(KaraokeFileLoaderTest, AKarFileWithoutSyllablesHasNoLyrics) {
  MultiTrackFileBuilder b;
  b.Track().Text(0, "@KMIDI KARAOKE FILE").Tempo(0, 500000);
  b.Track("Words").Text(0, "@LENGL").Text(0, "@TSilence");
  b.Track().Note(0, 0, 60, 100, 480);
  EXPECT_EQ(FromBytes(b.Bytes()), nullptr);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{kNoLyrics});
}

TEST_F(KaraokeFileLoaderTest, ASingingEditorFileInUtf8WithContinuationMarks) {
  MultiTrackFileBuilder b;
  b.Track().Tempo(0, 400000).Tempo(960, 300000);
  b.Track("Vocal").SungLyrics(0, 240, 2, 60, {"か", "+", "ら", "-", "_", "...", "ー", " + ", "す"});
  b.Track("Piano").Note(0, 5, 48, 80, 2160).Note(240, 5, 52, 80, 240);
  auto song = FromBytes(b.Bytes());
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(song->Kind(), KaraokeKind::LyricMidi);
  const std::string held = Sjis("ー");
  EXPECT_EQ(LyricTexts(*song), (std::vector<std::string>{Sjis("か"), held, Sjis("ら"), held, held,
                                                         held, held, held, Sjis("す")}));
  EXPECT_EQ(LyricLines(*song).back(), "1920 " + Sjis("す"));
  EXPECT_EQ(song->LyricSourceChannel(), 2);
  EXPECT_EQ(CountNotes(song->MainTrack(), 2), 9);
  EXPECT_EQ(CountNotes(song->MainTrack(), 5), 2);
  EXPECT_EQ(CountMeta(song->MainTrack(), kMetaLyric), 0);

  // The merged track is in time order with each event at its own tick.
  int64_t tick = 0;
  std::vector<std::pair<int64_t, int>> tempos;
  int64_t sung = 0;
  for (const MidiEvent& ev : song->MainTrack().Events()) {
    tick += ev.delta;
    ASSERT_GE(ev.delta, 0);
    if (ev.IsMeta(kMetaTempo)) tempos.emplace_back(tick, ev.value);
    if (ev.kind == MidiKind::Note && ev.channel == 2) {
      EXPECT_EQ(tick, 240 * sung++);
      EXPECT_EQ(ev.duration, 240);
    }
  }
  EXPECT_EQ(tempos, (std::vector<std::pair<int64_t, int>>{{0, 400000}, {960, 300000}}));
  EXPECT_TRUE(song->MainTrack().Event(song->MainTrack().Count() - 1).IsEndOfTrack());

  MelodyChannelFinder melody(*song);
  EXPECT_EQ(melody.Channel(), 2);
  EXPECT_EQ(melody.Source(), MelodySource::LyricsTrack);
}

TEST_F(KaraokeFileLoaderTest, TheEncodingOfPlainLyricsIsDetected) {
  struct Case {
    const char* name;
    std::vector<std::string> raw;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"CP932", {Sjis("ゆ"), Sjis("き"), Sjis("ー")}, {Sjis("ゆ"), Sjis("き"), Sjis("ー")}},
      {"UTF-8 with a byte order mark",
       {"\xEF\xBB\xBF\xE3\x81\x82", Sjis("い")},
       {Sjis("あ"), Sjis("い")}},
      // Not all strict UTF-8: read as CP932, whose invalid bytes become "?".
      {"broken UTF-8", {"\xE3\x81\x82", "\xE3\x81", "\xE3\x81\x84"}, {}},
      {"ASCII", {"la", "la"}, {"la", "la"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.Clear();
    MultiTrackFileBuilder b;
    b.Track().Tempo(0, 500000);
    b.Track().SungLyrics(0, 240, 0, 60, c.raw);
    auto song = FromBytes(b.Bytes());
    ASSERT_NE(song, nullptr);
    EXPECT_TRUE(host.Messages().empty());
    const std::vector<std::string> texts = LyricTexts(*song);
    ASSERT_EQ(texts.size(), c.raw.size());
    if (!c.expected.empty()) {
      EXPECT_EQ(texts, c.expected);
    }
    for (const std::string& text : texts) EXPECT_TRUE(LyricTextDecoder::IsValidCp932(text)) << text;
  }
}

TEST_F(KaraokeFileLoaderTest, XfDataInsideTheTrackGoesToTheLyricTrack) {
  // As an XF sequencer writes it into a format 0 file: information texts,
  // the lyrics cue and Latin-1 lyrics with carriage returns as line ends.
  MultiTrackFileBuilder b;
  b.Format(0).Track("Lied").Tempo(0, 500000);
  b.Meta(0, 0x7F, std::string("\x43\x7B\x00XF01\x00\x11", 9)).Text(0, "XFhd:::Rock:8 Beat:1:m1");
  b.Cue(0, "$Lyrc:1,2:0:L1").Lyric(0, "\r").Cue(10, "&s");
  b.Lyric(480, "F\xFCr ")
      .Lyric(720, "die ")
      .Lyric(960,
             "Stra\xDF"
             "e\r")
      .Lyric(1200, "\x93Ja\x94\n");
  b.Lyric(1440, "Caf\xE9");
  b.Note(480, 0, 60, 100, 240).Note(480, 1, 60, 100, 240).Note(0, 9, 36, 100, 60);
  auto song = FromBytes(b.Bytes());
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(song->Kind(), KaraokeKind::XfInMainTrack);
  EXPECT_EQ(LyricLines(*song), (std::vector<std::string>{"0 cue $Lyrc:1,2:0:L1", "0 /", "10 cue &s",
                                                         "480 Fur ", "720 die ", "960 Strasse",
                                                         "960 /", "1200 \"Ja\"", "1440 <Cafe"}));
  EXPECT_EQ(song->IsSingleByteLyrics(), 1);
  EXPECT_EQ(CountMeta(song->MainTrack(), kMetaLyric), 0);
  EXPECT_EQ(CountMeta(song->MainTrack(), kMetaCuePoint), 0);
  EXPECT_EQ(CountMeta(song->MainTrack(), kMetaText), 1);  // the information text stays
  EXPECT_EQ(CountNotes(song->MainTrack(), 0) + CountNotes(song->MainTrack(), 1), 2);
  EXPECT_EQ(song->LyricSourceChannel(), -1);  // format 0: the track is everyone's

  MelodyChannelFinder melody(*song);
  EXPECT_EQ(melody.Channel(), 0);
  EXPECT_EQ(melody.Source(), MelodySource::LyrcCue);
}

TEST_F(KaraokeFileLoaderTest, PaddingUnknownChunksAndCutTracksAreSurvived) {
  MultiTrackFileBuilder b;
  b.Track().Tempo(0, 500000);
  b.OtherChunk("JUNK", "whatever");
  b.Track().SungLyrics(0, 240, 0, 60, {"a", "b", "c"});
  b.Trailing(std::string(80, '\xF8'));
  auto song = FromBytes(b.Bytes());
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(LyricTexts(*song), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(CountNotes(song->MainTrack(), 0), 3);

  // Every cut of the file loads or is refused with a message, without harm;
  // a last track cut short gives what it holds.
  const std::string whole = KarSong().Bytes();
  for (size_t cut = 1; cut < whole.size(); ++cut) {
    host.Clear();
    auto part = FromBytes(whole.substr(0, whole.size() - cut));
    if (part) {
      part->StripRuby();
      MelodyChannelFinder finder(*part);
      EXPECT_GE(finder.Channel(), 0);
    } else {
      EXPECT_FALSE(host.Messages().empty());
    }
  }
}

TEST_F(KaraokeFileLoaderTest, WhatIsNoSongIsRefusedWithOneMessage) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string message;
  };
  MultiTrackFileBuilder format2 = KarSong();
  format2.Format(2);
  MultiTrackFileBuilder silent;
  silent.Track().Tempo(0, 500000).Note(0, 0, 60, 100, 480).Cue(0, "$Lyrc:1:0:JP");
  const std::vector<Case> cases = {
      {"empty", "", kNotKaraoke},
      {"no MIDI file", "RIFF\x10\0\0\0WAVEfmt ", kNotKaraoke},
      {"header cut", "MThd\0\0\0\x06\0\x01", kNotKaraoke},
      {"format 2", format2.Bytes(), kNotKaraoke},
      {"no lyrics", silent.Bytes(), kNoLyrics},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.Clear();
    EXPECT_EQ(FromBytes(c.bytes), nullptr);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{c.message});
  }
  host.Clear();
  EXPECT_EQ(KaraokeFileLoader::Load(tmp.File("missing.mid")), nullptr);
  EXPECT_FALSE(host.Messages().empty());
  host.Clear();
  EXPECT_EQ(KaraokeFileLoader::Load(""), nullptr);  // nothing was chosen
  EXPECT_TRUE(host.Records().empty());
}

TEST_F(KaraokeFileLoaderTest, ASongFromAnotherKindIsWrittenAsFormat0AndReadBack) {
  auto song = FromBytes(KarSong().Bytes());
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(song->Read(), 1);  // not read again: still the same song
  EXPECT_EQ(song->Kind(), KaraokeKind::SoftKaraoke);
  const std::vector<std::string> main = test::Describe(song->MainTrack());
  const std::vector<std::string> lyrics = LyricLines(*song);

  const std::string out = tmp.File("acc.mid");
  ASSERT_TRUE(song->Write(out));
  // Only the warning every song without a master volume gets.
  EXPECT_EQ(host.Messages(), std::vector<std::string>{kNoMasterVolume});
  const std::string bytes = test::ReadFileBytes(out);
  ASSERT_GE(bytes.size(), 22u);
  EXPECT_EQ(bytes.substr(0, 14), std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14));
  EXPECT_EQ(bytes.substr(14, 4), "MTrk");
  EXPECT_EQ(bytes.find("XFIH"), std::string::npos);
  EXPECT_NE(bytes.find("XFKM"), std::string::npos);
  EXPECT_EQ(test::Describe(song->MainTrack()), main);  // usable as before

  auto back = KaraokeFileLoader::Load(out);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Kind(), KaraokeKind::Xf);
  EXPECT_EQ(test::Describe(back->MainTrack()), main);
  EXPECT_EQ(LyricLines(*back), lyrics);

  if (!test::HaveMidiCsv()) GTEST_SKIP() << "midicsv is not installed";
  std::vector<std::string> csv = test::MidiCsv(out);
  ASSERT_FALSE(csv.empty());
  EXPECT_NE(csv.front().find("Header, 0, 1, 480"), std::string::npos) << csv.front();
}

// --- Real files of other people, when the shared test data is there ---

class RealLyricFilesTest : public KaraokeFileLoaderTest {
 protected:
  std::string Shared(const std::string& relative) {
    const std::filesystem::path p = std::filesystem::path(CRX_SHARED_DIR) / "testdata" / relative;
    return std::filesystem::exists(p) ? p.string() : std::string();
  }
};

TEST_F(RealLyricFilesTest, AnXfFileWithItsLyricsInTheTrack) {
  const std::string path = Shared("real-lyrics/midi_dth.mid");
  if (path.empty()) GTEST_SKIP() << "no shared test data";
  auto song = KaraokeFileLoader::Load(path);
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(song->Kind(), KaraokeKind::XfInMainTrack);
  EXPECT_EQ(LyricTexts(*song).size(), 490u);
  EXPECT_EQ(song->IsSingleByteLyrics(), 1);
  EXPECT_EQ(CountMeta(song->MainTrack(), kMetaLyric), 0);
  MelodyChannelFinder melody(*song);
  EXPECT_EQ(melody.Channel(), 0);
  EXPECT_EQ(melody.Source(), MelodySource::LyrcCue);
  EXPECT_TRUE(song->Write(tmp.File("acc.mid")));
}

TEST_F(RealLyricFilesTest, ASingingEditorFileInUtf8) {
  const std::string path = Shared("real-lyrics/darling_MARETU_vocal.mid");
  if (path.empty()) GTEST_SKIP() << "no shared test data";
  auto song = KaraokeFileLoader::Load(path);
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(song->Kind(), KaraokeKind::LyricMidi);
  const std::vector<std::string> texts = LyricTexts(*song);
  ASSERT_EQ(texts.size(), 721u);
  EXPECT_EQ(texts[0], Sjis("ま"));
  for (const std::string& text : texts) {
    std::optional<std::string> utf8 = TextCodec::Cp932ToUtf8(text);
    ASSERT_TRUE(utf8.has_value()) << text;
    EXPECT_TRUE(utf8->size() >= 3 && (*utf8)[0] == '\xE3') << *utf8;  // kana
  }
  MelodyChannelFinder melody(*song);
  EXPECT_EQ(melody.Channel(), 0);
  EXPECT_EQ(melody.Source(), MelodySource::LyricsTrack);
}

TEST_F(RealLyricFilesTest, AFileWithoutLyricsAndPaddingAfterItsTracks) {
  const std::string path = Shared("real-lyrics/mama2.mid");
  if (path.empty()) GTEST_SKIP() << "no shared test data";
  EXPECT_EQ(KaraokeFileLoader::Load(path), nullptr);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{kNoLyrics});
}

TEST_F(RealLyricFilesTest, ARealXfFileStillLoadsAsXf) {
  const std::string path = Shared("xf-real/haruyoko.mid");
  if (path.empty()) GTEST_SKIP() << "no shared test data";
  auto song = KaraokeFileLoader::Load(path);
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(song->Kind(), KaraokeKind::Xf);
  EXPECT_EQ(LyricTexts(*song).size(), 547u);
  MelodyChannelFinder melody(*song);
  EXPECT_EQ(melody.Channel(), 0);
  EXPECT_EQ(melody.Source(), MelodySource::LyrcCue);
}

}  // namespace
}  // namespace crx
