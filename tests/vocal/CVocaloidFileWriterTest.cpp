#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "lyrics/CVocaloid.h"
#include "midi/MidiTrackData.h"
#include "platform/UiServices.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/vocal/PeerReaders.h"
#include "support/vocal/VocalNoteBuilder.h"
#include "vocal/CVocalSequence.h"
#include "vocal/CVocalistList.h"
#include "vocal/CVocaloidFileWriter.h"

namespace crx {
namespace {

using test::EndRecord;
using test::Hex;
using test::MidoSummary;
using test::Syllable;
using test::TempFolder;
using test::WriteFileBytes;
using Lines = std::vector<std::string>;

// A karaoke main track (form 2): tempo events at absolute ticks, one melody
// note, the end of track at tick 1920.
std::unique_ptr<MidiTrackData> MainTrack(const std::vector<std::pair<int, int>>& tempos) {
  int last = 0;
  auto track = test::TempoTrack(tempos, last);
  MidiEvent note;
  note.kind = MidiKind::Note;
  note.channel = 0;
  note.note = 60;
  note.velocity = 100;
  note.duration = 480;
  track->Append(note);
  track->AppendEndOfTrack(1920 - last);
  return track;
}

struct VocalFileTest : ::testing::Test {
  void SetUp() override {
    if (!test::HaveMido()) GTEST_SKIP() << "python3-mido is not installed";
  }
  // Writes the records for the singer and returns what mido sees.
  Lines Write(const std::vector<VocalNote>& notes, const MidiTrackData& main,
              const char* singer = "Alto", int program = 3) {
    CVocaloidFileWriter writer(notes, main, 0);
    writer.Build(singer, program);
    EXPECT_TRUE(writer.Save(path));
    return MidoSummary(path);
  }
  // The peer's lines of one kind ("tempo", "block", ...).
  static Lines Only(const Lines& lines, const std::string& kind) {
    Lines out;
    for (const std::string& l : lines)
      if (l.rfind(kind + " ", 0) == 0) out.push_back(l);
    return out;
  }
  ScriptedHost host;
  ScopedUi scope{host};
  TempFolder folder;
  std::string path = folder.File("vocal.mid");
};

TEST_F(VocalFileTest, TwoRecordsGiveTheTwoTracksEventByEvent) {
  auto main = MainTrack({{0, 500000}, {960, 400000}});
  std::vector<VocalNote> notes = {Syllable(0, 64, 479, "か"), EndRecord(1920)};
  Lines seen = Write(notes, *main);

  Lines expected = {"file 1 2 480",       "track 0 Master Track", "tempo 0 500000",
                    "timesig 0 4/4 18 8", "tempo 8640 400000",    "end 8640",
                    "track 1 Voice1"};
  for (const std::string& text :
       CVocalSequence::PackTextEvents(CVocalSequence::TextGroups(notes, "Alto")))
    expected.push_back("text 0 " + std::to_string(text.size()) + " " + Hex(text));
  for (const char* l : {"end 0", "initial 12 3", "block 0 58 64 ka", "closing 6", "channels 0"})
    expected.push_back(l);
  if (!seen.empty() && seen.back().empty()) seen.pop_back();
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(Only(seen, "text").size(), 12u);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(VocalFileTest, TempoMapWithoutATempoAtTickZero) {
  // No tempo at tick 0: 600000 there, and the song's first tempo still
  // follows, four measures later as the notes do.
  auto late = MainTrack({{960, 400000}, {1440, 450000}});
  std::vector<VocalNote> notes = {Syllable(0, 60, 100, "あ"), EndRecord(1920)};
  EXPECT_EQ(Only(Write(notes, *late), "tempo"),
            (Lines{"tempo 0 600000", "tempo 8640 400000", "tempo 9120 450000"}));

  // Two tempos at tick 0: the last one holds there, once.
  auto twice = MainTrack({{0, 500000}, {0, 520000}, {480, 400000}});
  EXPECT_EQ(Only(Write(notes, *twice), "tempo"), (Lines{"tempo 0 520000", "tempo 8160 400000"}));
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(VocalFileTest, ZeroTempoAtTickZeroIsReportedAndLeftOut) {
  auto zero = MainTrack({{0, 0}, {960, 400000}});
  std::vector<VocalNote> notes = {Syllable(0, 60, 100, "あ"), EndRecord(1920)};
  Lines seen = Write(notes, *zero);
  EXPECT_EQ(Only(seen, "tempo"), (Lines{"tempo 8640 400000"}));
  EXPECT_EQ(Only(seen, "timesig"), (Lines{"timesig 0 4/4 18 8"}));
  EXPECT_EQ(host.Messages(), Lines{"VOFW00000001 テンポの値が不正です。"});
  EXPECT_EQ(host.Records()[0].messageKind, MessageKind::ModuleError);
}

TEST_F(VocalFileTest, NoteBlocksAsThePeerCountsThem) {
  auto main = MainTrack({{0, 500000}});
  std::vector<VocalNote> notes = {Syllable(0, 130, 479, "ち"), Syllable(480, -2, 479, "ら"),
                                  Syllable(960, 64, 200, "ふぃ"), Syllable(1100, 60, 100, "あ"),
                                  EndRecord(1920)};
  Lines seen = Write(notes, *main);
  EXPECT_EQ(Only(seen, "block"), (Lines{"block 0 60 118 tSi", "block 480 58 10 4a",
                                        "block 960 64 64 p\\'i", "block 1100 55 60 a"}));
  EXPECT_EQ(Only(seen, "closing"), Lines(4, "closing 6"));
  EXPECT_EQ(Only(seen, "channels"), Lines{"channels 0"});

  // The ID groups carry the shortened length of the overlapping note.
  std::string text;
  for (const std::string& l : Only(seen, "text")) text += l.substr(l.rfind(' ') + 1);
  EXPECT_NE(text.find(Hex("[ID#0003]\nLength=140\nNote#=64\n")), std::string::npos);
  EXPECT_NE(text.find(Hex("Note#=118\n")), std::string::npos);
}

TEST_F(VocalFileTest, TheFirstVoiceOfTheVoiceListSings) {
  std::string map(32, '\0');
  for (int i = 0; i < 6; ++i) map += std::string(8, '\0');
  map[32 + 3 * 8] = 5;
  WriteFileBytes(folder.File("voice.map"), map);
  WriteFileBytes(folder.File("vvoice5.vvd"), "\"VOICENAME\":=:\"Alto\"");
  CVocalistList voices(folder.Path());
  CVocaloid vocaloid;
  vocaloid.Add(Syllable(0, 60, 100, "あ"));
  vocaloid.Add(EndRecord(480));
  auto main = MainTrack({{0, 500000}});
  ASSERT_TRUE(CVocaloidFileWriter::WriteVocalFile(vocaloid, voices, path, *main));
  Lines seen = MidoSummary(path);
  EXPECT_EQ(Only(seen, "initial"), Lines{"initial 12 3"});
  std::string text;
  for (const std::string& l : Only(seen, "text")) text += l.substr(l.rfind(' ') + 1);
  EXPECT_NE(text.find(Hex("\nIDS=Alto\n")), std::string::npos);
  // The caller's records are not changed by the writer.
  EXPECT_EQ(vocaloid.At(0).length, 100);
}

TEST_F(VocalFileTest, TheSingingEditorReadsNotesLyricsSymbolsAndTempo) {
  if (!test::HaveVsqReader()) GTEST_SKIP() << "jcadencii or a Java runtime is not installed";
  auto main = MainTrack({{0, 500000}, {960, 400000}});
  std::vector<VocalNote> notes = {Syllable(0, 64, 479, "か"), Syllable(480, 66, 479, "きゃ"),
                                  Syllable(960, 67, 959, "ん"), EndRecord(1920)};
  Write(notes, *main, "Alto", 3);
  test::VsqView view = test::ReadWithVsqReader(path);
  EXPECT_EQ(view.status, 0);
  Lines faults;
  for (const std::string& f : view.faults)
    if (!f.empty()) faults.push_back(f);
  EXPECT_TRUE(faults.empty()) << faults.front();
  EXPECT_EQ(view.lines, (Lines{"tempo 0 500000", "tempo 8640 400000", "premeasure 4",
                               "track Voice1", "singer 0 Alto 0", "note 7680 479 64 か|k a",
                               "note 8160 479 66 きゃ|k' a", "note 8640 959 67 ん|N"}));
}

TEST_F(VocalFileTest, TheEditorSingsEveryNoteAtTheKaraokeSongsTimeAcrossTempoChanges) {
  if (!test::HaveVsqReader()) GTEST_SKIP() << "jcadencii or a Java runtime is not installed";
  // 120 bpm, 150 bpm from the third beat, 100 bpm from the fifth.
  auto main = MainTrack({{0, 500000}, {960, 400000}, {1920, 600000}});
  std::vector<VocalNote> notes;
  for (int i = 0; i < 6; ++i) notes.push_back(Syllable(i * 480, 60 + i, 479, "あ"));
  notes.push_back(EndRecord(2880));
  Write(notes, *main);
  test::VsqView view = test::ReadSecondsWithVsqReader(path);
  ASSERT_EQ(view.status, 0);
  // Seconds of the karaoke song's beats under its own tempo map.
  const double karaoke[6] = {0.0, 0.5, 1.0, 1.4, 1.8, 2.4};
  const Lines seconds = Only(view.lines, "notesec");
  ASSERT_EQ(seconds.size(), 6u);
  // The lead-in: four 4/4 measures at the first tempo.
  const double leadIn = 16 * 0.5;
  for (size_t i = 0; i < seconds.size(); ++i) {
    const double editor = std::stod(seconds[i].substr(seconds[i].rfind(' ') + 1));
    EXPECT_NEAR(editor - leadIn, karaoke[i], 1e-6) << seconds[i];
  }
}

TEST_F(VocalFileTest, MmidicsvReadsEveryControl) {
  if (!test::HaveMidicsv()) GTEST_SKIP() << "midicsv is not installed";
  auto main = MainTrack({{0, 500000}});
  std::vector<VocalNote> notes = {Syllable(0, 64, 479, "か"), Syllable(480, 64, 479, "ち"),
                                  EndRecord(1920)};
  Write(notes, *main);
  int status = -1;
  Lines rows = test::MidicsvRows(path, &status);
  EXPECT_EQ(status, 0);
  const auto controls = std::count_if(rows.begin(), rows.end(), [](const std::string& r) {
    return r.find(", Control_c, 0, ") != std::string::npos;
  });
  EXPECT_EQ(controls, 12 + (58 + 6) + (60 + 6));
  EXPECT_EQ(
      std::count_if(rows.begin(), rows.end(),
                    [](const std::string& r) { return r.find("End_track") != std::string::npos; }),
      2);
}

TEST_F(VocalFileTest, AFullSongStopsTheControlsAtTheTrackLimitAndStaysReadable) {
  auto main = MainTrack({{0, 500000}});
  std::vector<VocalNote> notes;
  for (int i = 0; i < kVocalNoteCapacity - 1; ++i)
    notes.push_back(Syllable(i * 120, 60 + i % 12, 119, "きゃ"));
  notes.push_back(EndRecord((kVocalNoteCapacity - 1) * 120));
  Lines seen = Write(notes, *main);
  EXPECT_EQ(host.Messages(), (Lines{"MDTK0D000006 データの量が多すぎます。",
                                    "MDTK0D00001A データの追加に失敗しました。"}));
  // The sequence text, written first, is whole.
  std::string text;
  for (const std::string& l : Only(seen, "text")) text += l.substr(l.rfind(' ') + 1);
  EXPECT_NE(text.find(Hex("=ID#2047\n")), std::string::npos);
  EXPECT_NE(text.find(Hex("[h#4095]\n")), std::string::npos);
  EXPECT_NE(text.find(Hex("[h#4096]\n")), std::string::npos);
  EXPECT_EQ(Only(seen, "end").size(), 2u);
  if (test::HaveVsqReader()) {
    test::VsqView view = test::ReadWithVsqReader(path);
    EXPECT_EQ(view.status, 0);
    EXPECT_EQ(Only(view.lines, "note").size(), static_cast<size_t>(kVocalNoteCapacity - 1));
  }
}

}  // namespace
}  // namespace crx
