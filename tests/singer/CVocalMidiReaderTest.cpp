#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/MidiFormat1Data.h"
#include "platform/UiServices.h"
#include "singer/CVocalMidiReader.h"
#include "singer/CVocalSinger.h"
#include "support/platform/ScriptedHost.h"
#include "support/platform/TempFolder.h"
#include "support/singer/SungVoice.h"
#include "support/vocal/PeerReaders.h"
#include "support/vocal/VocalNoteBuilder.h"

namespace crx {
namespace {

using test::Cp932;
using test::EndRecord;
using test::Syllable;
using test::TempFolder;
using Lines = std::vector<std::string>;

struct ReaderTest : ::testing::Test {
  ScriptedHost host;
  ScopedUi scope{host};
  TempFolder folder;
  std::string midi = folder.File("vocal.mid");
  std::string wave = folder.File("vocal.wav");

  // A vocal MIDI whose voice track holds the text events as given.
  void WriteTexts(const std::vector<std::string>& texts) {
    MidiFormat1Data file(480);
    MidiTrackData* conductor = file.AddTrack(kMidiChunkCapacity);
    MidiTrackData* voice = file.AddTrack(kMidiChunkCapacity);
    conductor->SetForm(kFormNotes);
    voice->SetForm(kFormNotes);
    conductor->AppendTempo(500000);
    conductor->AppendEndOfTrack();
    for (const std::string& t : texts) voice->AppendMetaText(kMetaText, t);
    voice->AppendEndOfTrack();
    ASSERT_EQ(file.Save(midi), 1);
    // Events longer than our writer's are no fault of the file.
    host.Clear();
  }
  // Runs the singer and expects it to refuse the file with the reason.
  void ExpectRefused(const std::string& reason) {
    EXPECT_FALSE(CVocalSinger::Run(midi, wave, std::nullopt));
    EXPECT_EQ(host.Messages(),
              Lines{"CantorixSinger: not a vocal MIDI file: " + midi + ": " + reason});
    EXPECT_EQ(test::ReadFileBytes(wave), "");
    EXPECT_EQ(test::CommandLines("ls " + test::ShellQuote(folder.Path())), Lines{"vocal.mid"});
  }
};

// The text of a sequence of one note, as lines.
std::string OneNoteText(const std::string& noteLines, const std::string& handles) {
  return "[Common]\nVersion=DSB301\n[EventList]\n0=ID#0000\n7680=ID#0001\n8160=EOS\n"
         "[ID#0000]\nType=Singer\nIconHandle=h#0000\n[ID#0001]\nType=Anote\n" +
         noteLines + "[h#0000]\nIDS=Alto\n" + handles;
}

TEST_F(ReaderTest, ReadsWhatOurWriterWrites) {
  std::vector<VocalNote> notes = {Syllable(0, 64, 479, "か"), Syllable(480, 66, 240, "きゃ"),
                                  Syllable(960, 67, 959, "ん"), EndRecord(1920)};
  test::WriteVocalMidi(midi, notes, {{0, 500000}, {960, 400000}});
  CVocalMidiReader::Result r = CVocalMidiReader::FromFile(midi);
  ASSERT_EQ(r.error, "");
  const SingerSequence& s = r.sequence;
  ASSERT_EQ(s.notes.size(), 3u);
  EXPECT_EQ(s.notes[1].tick, 8160);
  EXPECT_EQ(s.notes[1].length, 240);
  EXPECT_EQ(s.notes[1].noteNumber, 66);
  EXPECT_EQ(s.notes[1].lyric, Cp932("きゃ"));
  EXPECT_EQ(s.notes[1].phonetic, "k' a");
  EXPECT_EQ(s.notes[2].phonetic, "N");
  EXPECT_TRUE(s.notes[0].hasVibrato);
  EXPECT_EQ(s.notes[0].vibrato.depth, 64);
  EXPECT_EQ(s.notes[0].vibrato.rate, 50);
  EXPECT_EQ(s.notes[0].vibrato.delay, 160);
  EXPECT_EQ(s.endTick, 1920 + 7680);
  EXPECT_EQ(s.division, 480);
  // The later tempo stands under the same note as in the song.
  ASSERT_EQ(s.tempos.size(), 2u);
  EXPECT_EQ(s.tempos[1].tick, 960 + 7680);
  EXPECT_EQ(s.tempos[1].microsecondsPerQuarter, 400000);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ReaderTest, ALyricLineSplitAcrossTwoTextEventsIsJoined) {
  const std::string text =
      OneNoteText("Length=480\nNote#=60\nLyricHandle=h#0001\n",
                  "[h#0001]\nL0=\"" + Cp932("さ") + "\",\"s a\",1.000000,64,0,0\n");
  const size_t cut = text.find("\"s a\"") + 2;  // inside the symbol
  // Numbered out of order in the file: the numbers give the order.
  WriteTexts({"DM:0001:" + text.substr(cut), "DM:0000:" + text.substr(0, cut)});
  CVocalMidiReader::Result r = CVocalMidiReader::FromFile(midi);
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.sequence.notes.size(), 1u);
  EXPECT_EQ(r.sequence.notes[0].phonetic, "s a");
  EXPECT_EQ(r.sequence.notes[0].lyric, Cp932("さ"));
  EXPECT_FALSE(r.sequence.notes[0].hasVibrato);
  EXPECT_EQ(r.sequence.endTick, 8160);
  // No tempo in the file: 120 quarter notes a minute.
  EXPECT_EQ(r.sequence.tempos.size(), 1u);
}

TEST_F(ReaderTest, BadFilesAreRefusedWithTheirReasonAndNoWave) {
  test::WriteFileBytes(midi, "RIFF....WAVEfmt ");
  ExpectRefused("it has no MIDI header");
}

TEST_F(ReaderTest, ATextEventMissingInTheMiddle) {
  const std::string text = OneNoteText("Length=480\nNote#=60\nLyricHandle=h#0001\n",
                                       "[h#0001]\nL0=\"a\",\"a\",1,0,0,0\n");
  WriteTexts({"DM:0000:" + text.substr(0, 40), "DM:0002:" + text.substr(80)});
  ExpectRefused("the sequence text is cut short: text event 1 is missing");
}

TEST_F(ReaderTest, ATextCutShortLacksItsHandle) {
  const std::string text = OneNoteText("Length=480\nNote#=60\nLyricHandle=h#0001\n",
                                       "[h#0001]\nL0=\"a\",\"a\",1,0,0,0\n");
  WriteTexts({"DM:0000:" + text.substr(0, text.find("[h#0001]"))});
  ExpectRefused("the lyric handle [h#0001] is missing");
}

TEST_F(ReaderTest, NoteNumbersAndLengthsOutOfRange) {
  const std::string handle = "[h#0001]\nL0=\"a\",\"a\",1,0,0,0\n";
  WriteTexts({"DM:0000:" + OneNoteText("Length=480\nNote#=130\nLyricHandle=h#0001\n", handle)});
  ExpectRefused("[ID#0001] has a note number out of range: 130");
  host.Clear();
  WriteTexts({"DM:0000:" + OneNoteText("Length=0\nNote#=60\nLyricHandle=h#0001\n", handle)});
  ExpectRefused("[ID#0001] has a length out of range: 0");
  host.Clear();
  WriteTexts({"DM:0000:" + OneNoteText("Length=480\nNote#=60\nLyricHandle=h#0001\n"
                                       "VibratoHandle=h#0002\n",
                                       handle)});
  ExpectRefused("the vibrato handle [h#0002] is missing");
}

TEST_F(ReaderTest, ASequenceLongerThanAnHourIsRefusedBeforeSinging) {
  std::string text = OneNoteText("Length=480\nNote#=60\nLyricHandle=h#0001\n",
                                 "[h#0001]\nL0=\"a\",\"a\",1,0,0,0\n");
  const std::string end = "8160=EOS";
  text.replace(text.find(end), end.size(), "2000000000=EOS");
  WriteTexts({"DM:0000:" + text});
  EXPECT_FALSE(CVocalSinger::Run(midi, wave, std::nullopt));
  EXPECT_EQ(host.Messages(), Lines{"CantorixSinger: the sequence of " + midi +
                                   " lasts 2083333 s, longer than the 3600 s a song may last"});
  EXPECT_EQ(test::ReadFileBytes(wave), "");
}

TEST_F(ReaderTest, AnEmptySequence) {
  WriteTexts(
      {"DM:0000:[Common]\nVersion=DSB301\n[EventList]\n0=ID#0000\n7680=EOS\n[ID#0000]\n"
       "Type=Singer\n"});
  ExpectRefused("the sequence holds no notes");
  host.Clear();
  WriteTexts({"DM:0000:[Common]\n"});
  ExpectRefused("the sequence text has no [EventList]");
}

}  // namespace
}  // namespace crx
