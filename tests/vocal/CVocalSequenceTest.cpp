#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "platform/UiServices.h"
#include "support/platform/ScriptedHost.h"
#include "support/vocal/VocalNoteBuilder.h"
#include "vocal/CVocalSequence.h"

namespace crx {
namespace {

using test::Cp932;
using test::EndRecord;
using test::Syllable;
using Lines = std::vector<std::string>;

const Lines kHeader = {"[Common]",       "Version=DSB301", "Name=Voice1",    "Color=181,162,123",
                       "DynamicsMode=1", "PlayMode=1",     "[Master]",       "PreMeasure=4",
                       "[Mixer]",        "MasterFeder=0",  "MasterPanpot=0", "MasterMute=0",
                       "OutputMode=0",   "Tracks=1",       "Feder0=0",       "Panpot0=0",
                       "Mute0=0",        "Solo0=0"};
const Lines kVibrato = {
    "IconID=$04040001", "IDS=normal",    "Original=1",   "Caption=[Normal] Type 1",
    "Length=320",       "StartDepth=64", "DepthBPNum=0", "StartRate=50",
    "RateBPNum=0"};

Lines NoteGroup(int n, int length, int note) {
  char buf[64];
  Lines g;
  std::snprintf(buf, sizeof buf, "[ID#%04d]", n);
  g.push_back(buf);
  g.push_back("Length=" + std::to_string(length));
  g.push_back("Note#=" + std::to_string(note));
  std::snprintf(buf, sizeof buf, "LyricHandle=h#%04d", 2 * n - 1);
  g.push_back(buf);
  std::snprintf(buf, sizeof buf, "VibratoHandle=h#%04d", 2 * n);
  g.push_back(buf);
  for (const char* l :
       {"Type=Anote", "Dynamics=64", "PMBendDepth=20", "PMBendLength=0", "PMbPortamentoUse=0",
        "DEMdecGainRate=50", "DEMaccent=50", "VibratoDelay=160"})
    g.push_back(l);
  return g;
}

TEST(SequenceText, OneNoteAndTheEndRecordGiveTheWholeText) {
  std::vector<VocalNote> notes = {Syllable(0, 64, 479, "か"), EndRecord(960)};
  std::vector<Lines> groups = CVocalSequence::TextGroups(notes, "Alto");
  const std::vector<Lines> expected = {
      kHeader,
      {"[EventList]", "0=ID#0000", "7680=ID#0001", "8640=EOS", "[ID#0000]", "Type=Singer",
       "IconHandle=h#0000"},
      NoteGroup(1, 479, 64),
      {"[h#0000]", "IconID=$07010000", "IDS=Alto", "Original=0", "Caption=", "Length=1",
       "Language=0", "Program=0"},
      {"[h#0001]", "L0=\"" + Cp932("か") + "\",\"k a\",1.000000,64,0,0", "[h#0002]"},
      kVibrato,
      {"[h#0003]", "L0=\"" + Cp932("あ") + "\",\"a\",1.000000,64,0,0", "[h#0004]"},
      kVibrato,
  };
  EXPECT_EQ(groups, expected);
}

TEST(SequenceText, NoteNumbersAreFoldedOnceIntoRange) {
  EXPECT_EQ(CVocalSequence::FoldNote(130), 118);
  EXPECT_EQ(CVocalSequence::FoldNote(-2), 10);
  EXPECT_EQ(CVocalSequence::FoldNote(127), 127);
  EXPECT_EQ(CVocalSequence::FoldNote(0), 0);
  std::vector<VocalNote> notes = {Syllable(10, 130, 100, "ら"), Syllable(200, -2, 100, "ら"),
                                  EndRecord(400)};
  std::vector<Lines> groups = CVocalSequence::TextGroups(notes, "x");
  EXPECT_EQ(groups[2][2], "Note#=118");
  EXPECT_EQ(groups[3][2], "Note#=10");
  EXPECT_EQ(groups[1][2], "7690=ID#0001");
  std::vector<VocalControlBlock> blocks = CVocalSequence::ControlStream(notes);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].controls[8], (VocalControl{6, 118}));
  EXPECT_EQ(blocks[1].controls[8], (VocalControl{6, 10}));
}

TEST(SequenceText, OverlapsAreCutAtTheNextStart) {
  std::vector<VocalNote> notes = {Syllable(0, 60, 500, "あ"), Syllable(480, 62, 100, "い"),
                                  Syllable(580, 62, 50, "う"), EndRecord(600)};
  CVocalSequence::ShortenOverlaps(notes);
  EXPECT_EQ(notes[0].length, 480);
  EXPECT_EQ(notes[1].length, 100);
  EXPECT_EQ(notes[2].length, 20);
  EXPECT_EQ(notes[3].length, 0);
}

TEST(TextEvents, LinesArePackedWithin127BytesNeverSplitNorMixingGroups) {
  std::vector<VocalNote> notes;
  for (int i = 0; i < 40; ++i) notes.push_back(Syllable(i * 240, 60 + i % 12, 239, "きゃ"));
  notes.push_back(EndRecord(40 * 240));
  std::vector<Lines> groups = CVocalSequence::TextGroups(notes, Cp932("初音ミク"));
  std::vector<std::string> events = CVocalSequence::PackTextEvents(groups);

  std::string joined;
  for (size_t i = 0; i < events.size(); ++i) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "DM:%04zu:", i);
    ASSERT_EQ(events[i].substr(0, 8), prefix);
    ASSERT_LE(events[i].size(), 127u);
    ASSERT_LE(events[i].size() - 8, 119u);
    ASSERT_FALSE(events[i].size() == 8) << "no line needs an empty event here";
    ASSERT_EQ(events[i].back(), '\n') << "a line was split";
    joined += events[i].substr(8);
  }
  std::string text;
  for (const Lines& g : groups)
    for (const std::string& l : g) text += l + "\n";
  EXPECT_EQ(joined, text);

  // The header alone takes the first events; the event list starts a new one.
  size_t e = 0;
  std::string header;
  while (e < events.size() && events[e].find("[EventList]") == std::string::npos)
    header += events[e++].substr(8);
  std::string expectedHeader;
  for (const std::string& l : kHeader) expectedHeader += l + "\n";
  EXPECT_EQ(header, expectedHeader);
  ASSERT_LT(e, events.size());
  EXPECT_EQ(events[e].substr(8, 12), "[EventList]\n");
  // The header fills its first event up to the line that would not fit.
  ASSERT_EQ(e, 2u);
  EXPECT_EQ(events[0],
            "DM:0000:[Common]\nVersion=DSB301\nName=Voice1\nColor=181,162,123\nDynamicsMode=1\n"
            "PlayMode=1\n[Master]\nPreMeasure=4\n[Mixer]\n");
  EXPECT_EQ(events[1],
            "DM:0001:MasterFeder=0\nMasterPanpot=0\nMasterMute=0\nOutputMode=0\nTracks=1\n"
            "Feder0=0\nPanpot0=0\nMute0=0\nSolo0=0\n");
}

TEST(TextEvents, ALineTooLongForAnyEventStandsAloneAfterAnEmptyEvent) {
  Lines longLine = {"a", std::string(130, 'x')};
  std::vector<std::string> events = CVocalSequence::PackTextEvents({longLine});
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], "DM:0000:a\n");
  EXPECT_EQ(events[1], "DM:0001:" + std::string(130, 'x') + "\n");
}

std::vector<uint8_t> Sent(const std::vector<VocalControl>& controls, uint8_t controller) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < controls.size(); ++i) {
    if (controls[i].controller == 98 && controls[i].value >= 0x13 && controls[i].value < 0x1C &&
        controls[i + 1].controller == controller)
      out.push_back(controls[i + 1].value);
  }
  return out;
}

TEST(ControlStream, SymbolCharactersAndTheirDataLsb) {
  // t S i: three characters, the middle one without (38, ...).
  std::vector<VocalControl> tsi = CVocalSequence::NoteControls(60, "tSi");
  EXPECT_EQ(tsi.size(), 51u + 9u);
  EXPECT_EQ(Sent(tsi, 6), (std::vector<uint8_t>{'t', 'S', 'i'}));
  const std::vector<VocalControl> symbolPart(tsi.begin() + 24, tsi.begin() + 34);
  const std::vector<VocalControl> expected = {{98, 0x12}, {6, 3},     {98, 0x13}, {6, 't'},
                                              {38, 0x40}, {98, 0x14}, {6, 'S'},   {98, 0x15},
                                              {6, 'i'},   {38, 0x00}};
  EXPECT_EQ(symbolPart, expected);

  std::vector<VocalControl> ka = CVocalSequence::NoteControls(60, "ka");
  EXPECT_EQ(ka.size(), 52u + 6u);
  EXPECT_EQ(std::vector<VocalControl>(ka.begin() + 26, ka.begin() + 32),
            (std::vector<VocalControl>{
                {98, 0x13}, {6, 'k'}, {38, 0x40}, {98, 0x14}, {6, 'a'}, {38, 0x00}}));
  EXPECT_EQ(CVocalSequence::NoteControls(60, "a").size(), 55u);
  EXPECT_EQ(CVocalSequence::NoteControls(60, "p\\'M").size(), 64u);

  EXPECT_EQ(CVocalSequence::SymbolCharacters(Syllable(0, 60, 10, "ち")), "tSi");
  EXPECT_EQ(CVocalSequence::SymbolCharacters(Syllable(0, 60, 10, "ふぃ")), "p\\'i");
  EXPECT_EQ(CVocalSequence::SymbolCharacters(Syllable(0, 60, 10, "ん")), "N");
}

TEST(ControlStream, BlocksStandAtTheirStartTicksAndEndBeforeTheEndRecord) {
  ScriptedHost host;
  ScopedUi scope(host);
  std::vector<VocalNote> notes = {Syllable(480, 60, 100, "か"), Syllable(960, 62, 100, "ち"),
                                  EndRecord(1920)};
  std::vector<VocalControlBlock> blocks = CVocalSequence::ControlStream(notes);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].delta, 480);
  EXPECT_EQ(blocks[1].delta, 480);
  EXPECT_EQ(blocks[0].controls.size(), 58u + 6u);
  EXPECT_EQ(blocks[1].controls.size(), 60u + 6u);
  const std::vector<VocalControl> head(blocks[0].controls.begin(), blocks[0].controls.begin() + 9);
  EXPECT_EQ(
      head,
      (std::vector<VocalControl>{
          {99, 0x50}, {98, 0}, {6, 0}, {38, 0}, {98, 1}, {6, 0x0F}, {38, 0x50}, {98, 2}, {6, 60}}));
  const std::vector<VocalControl> tail(blocks[0].controls.end() - 8, blocks[0].controls.end());
  EXPECT_EQ(
      tail,
      (std::vector<VocalControl>{
          {98, 0x7F}, {6, 0x7F}, {99, 0x65}, {98, 2}, {6, 0x40}, {99, 0x64}, {98, 2}, {6, 0x32}}));
  EXPECT_TRUE(host.Messages().empty());
}

TEST(ControlStream, AnEndRecordBeforeTheLastIsANoteErrorSungAt72) {
  ScriptedHost host;
  ScopedUi scope(host);
  std::vector<VocalNote> notes = {Syllable(0, 60, 100, "か"), EndRecord(240), EndRecord(480)};
  std::vector<VocalControlBlock> blocks = CVocalSequence::ControlStream(notes);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1].controls[8], (VocalControl{6, 72}));
  EXPECT_EQ(blocks[1].delta, 240);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"note error"});
}

TEST(ControlStream, InitialBlockSelectsTheProgram) {
  EXPECT_EQ(CVocalSequence::InitialControls(3), (std::vector<VocalControl>{{99, 0x60},
                                                                           {98, 0},
                                                                           {6, 0},
                                                                           {38, 0},
                                                                           {98, 1},
                                                                           {6, 0},
                                                                           {38, 0},
                                                                           {98, 2},
                                                                           {6, 0},
                                                                           {99, 0x53},
                                                                           {98, 2},
                                                                           {6, 3}}));
}

}  // namespace
}  // namespace crx
