#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "midi/MidiTrackData.h"
#include "support/midi/MidiTestBytes.h"
#include "support/midi/MidiTestFixture.h"

namespace crx::test {
namespace {

using Notes = MidiTest;
using ::testing::ElementsAre;

const std::string kInternal = "MDTK0D000001 Midiのトラックデータで内部エラーが発生しました。";

std::unique_ptr<MidiTrackData> Track(int form, std::vector<MidiEvent> events) {
  auto t = std::make_unique<MidiTrackData>();
  t->SetForm(form);
  for (MidiEvent& ev : events) t->Append(std::move(ev));
  return t;
}

// --- Pairing ---

TEST_F(Notes, PairingTakesTheNoteOffsOfOnePitchInOrder) {
  auto t =
      Track(kFormEvents, {NoteOnEvent(0, 0, 60, 100), NoteOnEvent(10, 0, 60, 90),
                          NoteOffEvent(10, 0, 60), NoteOffEvent(20, 0, 60), EndOfTrackEvent(0)});
  t->PairNotes();
  EXPECT_EQ(t->Form(), kFormNotes);
  EXPECT_THAT(Describe(*t),
              ElementsAre("t=0 Note ch=0 n=60 v=100 d=20", "t=10 Note ch=0 n=60 v=90 d=30",
                          "t=40 Meta type=47 value=0 []"));
}

TEST_F(Notes, PairingDropsUnmatchedNotesAndKeepsTheirTime) {
  // The note-on of 61 has no note-off; the note-off of 62 has no note-on; a
  // note-on of velocity 0 ends 60; channel 1's 60 does not end channel 0's.
  auto t =
      Track(kFormEvents, {NoteOnEvent(0, 0, 60, 100), NoteOnEvent(5, 0, 61, 100),
                          NoteOffEvent(5, 0, 62), NoteOffEvent(5, 1, 60), NoteOnEvent(5, 0, 60, 0),
                          ControlEvent(7, 0, 7, 100), EndOfTrackEvent(3)});
  t->PairNotes();
  EXPECT_THAT(Describe(*t),
              ElementsAre("t=0 Note ch=0 n=60 v=100 d=20", "t=27 CC ch=0 n=0 sub=7 value=100",
                          "t=30 Meta type=47 value=0 []"));
}

TEST_F(Notes, PairingAndSplittingNeedTheirForms) {
  auto t = Track(kFormNotes, {EndOfTrackEvent(0)});
  t->PairNotes();
  EXPECT_EQ(t->Form(), kFormNotes);
  t->SetForm(kFormEvents);
  t->SplitNotes();
  t->KeepTopNotes(0);
  EXPECT_EQ(t->Form(), kFormEvents);
  EXPECT_THAT(Messages(), ElementsAre(kInternal, kInternal, kInternal));
}

// --- Splitting ---

TEST_F(Notes, SplittingPutsTheNoteOffBeforeAnEventAtExactlyItsEnd) {
  auto t = Track(kFormNotes,
                 {NoteEvent(0, 0, 60, 100, 480), ControlEvent(480, 0, 7, 90), EndOfTrackEvent(0)});
  t->SplitNotes();
  EXPECT_EQ(t->Form(), kFormEvents);
  ASSERT_EQ(t->Count(), 4);
  EXPECT_EQ(t->Event(1).kind, MidiKind::NoteOff);
  EXPECT_EQ(t->Event(1).delta, 480);
  EXPECT_EQ(t->Event(1).velocity, 64);
  EXPECT_EQ(t->Event(2).kind, MidiKind::ControlChange);
  EXPECT_EQ(t->Event(2).delta, 0);
}

TEST_F(Notes, SplittingMovesTheEndOfTrackPastNotesThatOutlastIt) {
  auto t = Track(kFormNotes, {NoteEvent(0, 0, 60, 100, 100), NoteEvent(0, 0, 64, 0, 100),
                              NoteEvent(0, 0, 67, 100, 0), EndOfTrackEvent(40)});
  t->SplitNotes();
  // Velocity 0 and duration 0 notes go; the end of track follows the last
  // note-off.
  EXPECT_THAT(Describe(*t), ElementsAre("t=0 On ch=0 n=60 v=100", "t=100 Off ch=0 n=60",
                                        "t=100 Meta type=47 value=0 []"));
  t->Serialise("MTrk");
  EXPECT_EQ(BodyHex(*t), "00 90 3C 64 64 80 3C 40 00 FF 2F 00");
}

TEST_F(Notes, NoteOffsComeBeforeNoteOnsAtOneTick) {
  // A same-pitch restart: the note-off of 60 must precede the new note-on of
  // 60 wherever it stood in the tick.
  auto t = Track(kFormEvents,
                 {NoteOnEvent(0, 0, 60, 100), ControlEvent(10, 0, 7, 100),
                  NoteOnEvent(0, 0, 60, 100), NoteOnEvent(0, 0, 64, 100), NoteOffEvent(0, 0, 60),
                  NoteOffEvent(5, 0, 60), NoteOffEvent(0, 0, 64), EndOfTrackEvent(0)});
  t->PutNoteOffsFirst();
  EXPECT_THAT(
      Describe(*t),
      ElementsAre("t=0 On ch=0 n=60 v=100", "t=10 CC ch=0 n=0 sub=7 value=100",
                  "t=10 Off ch=0 n=60", "t=10 On ch=0 n=60 v=100", "t=10 On ch=0 n=64 v=100",
                  "t=15 Off ch=0 n=60", "t=15 Off ch=0 n=64", "t=15 Meta type=47 value=0 []"));
}

// The pairing and splitting of the track model, step by step on a copy of
// the events, as a reference for the single-pass versions.
std::vector<MidiEvent> ReferencePair(std::vector<MidiEvent> ev) {
  auto erase = [&ev](size_t j) {
    if (j + 1 < ev.size()) ev[j + 1].delta += ev[j].delta;
    ev.erase(ev.begin() + static_cast<std::ptrdiff_t>(j));
  };
  for (MidiEvent& e : ev) {
    if (e.kind == MidiKind::NoteOn && e.velocity == 0) e.kind = MidiKind::NoteOff;
  }
  for (size_t i = 0; i < ev.size(); ++i) {
    if (ev[i].kind != MidiKind::NoteOn) continue;
    ev[i].kind = MidiKind::Note;
    int sum = 0;
    for (size_t j = i + 1; j < ev.size(); ++j) {
      sum += ev[j].delta;
      if (ev[j].kind == MidiKind::NoteOff && ev[j].channel == ev[i].channel &&
          ev[j].note == ev[i].note) {
        ev[i].duration = sum;
        erase(j);
        break;
      }
    }
  }
  for (size_t j = 0; j < ev.size();) {
    if (ev[j].kind == MidiKind::NoteOff)
      erase(j);
    else
      ++j;
  }
  for (size_t j = 0; j < ev.size();) {
    if (ev[j].kind == MidiKind::Note && ev[j].duration == 0)
      erase(j);
    else
      ++j;
  }
  return ev;
}

std::vector<MidiEvent> ReferenceSplit(std::vector<MidiEvent> ev) {
  for (size_t j = 0; j < ev.size();) {
    if (ev[j].kind == MidiKind::Note && (ev[j].duration == 0 || ev[j].velocity == 0)) {
      if (j + 1 < ev.size()) ev[j + 1].delta += ev[j].delta;
      ev.erase(ev.begin() + static_cast<std::ptrdiff_t>(j));
    } else {
      ++j;
    }
  }
  for (size_t i = 0; i < ev.size(); ++i) {
    if (ev[i].kind != MidiKind::Note) continue;
    const int d = ev[i].duration;
    ev[i].kind = MidiKind::NoteOn;
    ev[i].duration = 0;
    MidiEvent off = NoteOffEvent(0, ev[i].channel, ev[i].note);
    int sum = 0;
    size_t j = i + 1;
    for (; j < ev.size(); ++j) {
      sum += ev[j].delta;
      if (sum >= d) break;
    }
    if (j < ev.size()) {
      off.delta = ev[j].delta - (sum - d);
      ev[j].delta = sum - d;
      ev.insert(ev.begin() + static_cast<std::ptrdiff_t>(j), off);
    } else {
      off.delta = d - sum;
      ev.push_back(off);
    }
  }
  for (size_t i = 0; i + 1 < ev.size(); ++i) {
    if (!ev[i].IsEndOfTrack()) continue;
    ev[i + 1].delta += ev[i].delta;
    MidiEvent end = ev[i];
    end.delta = 0;
    ev.erase(ev.begin() + static_cast<std::ptrdiff_t>(i));
    ev.push_back(end);
    break;
  }
  return ev;
}

std::vector<std::string> DescribeEvents(int form, const std::vector<MidiEvent>& events) {
  auto t = Track(form, events);
  return Describe(*t);
}

TEST_F(Notes, SinglePassPairingAndSplittingMatchTheStepByStepRules) {
  std::mt19937 random(20260101);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 300; ++round) {
    std::vector<MidiEvent> raw;
    std::vector<MidiEvent> notes;
    for (int i = 0, n = 5 + pick(40); i < n; ++i) {
      const int delta = pick(3) == 0 ? pick(12) : 0;
      const int channel = pick(2);
      const int note = 60 + pick(3);
      switch (pick(5)) {
        case 0:
        case 1:
          raw.push_back(NoteOnEvent(delta, channel, note, pick(4) == 0 ? 0 : 100));
          notes.push_back(NoteEvent(delta, channel, note, pick(6) == 0 ? 0 : 90, pick(15)));
          break;
        case 2:
        case 3:
          raw.push_back(NoteOffEvent(delta, channel, note));
          notes.push_back(ControlEvent(delta, channel, 7, i));
          break;
        default:
          raw.push_back(ControlEvent(delta, channel, 10, i));
          notes.push_back(NoteEvent(delta, channel, note, 100, 1 + pick(30)));
          break;
      }
    }
    raw.push_back(EndOfTrackEvent(pick(10)));
    notes.push_back(EndOfTrackEvent(pick(10)));

    auto paired = Track(kFormEvents, raw);
    paired->PairNotes();
    ASSERT_EQ(Describe(*paired), DescribeEvents(kFormNotes, ReferencePair(raw))) << round;

    auto split = Track(kFormNotes, notes);
    split->SplitNotes();
    ASSERT_EQ(Describe(*split), DescribeEvents(kFormEvents, ReferenceSplit(notes))) << round;
  }
  EXPECT_TRUE(Messages().empty());
}

// Events in time order, those of one tick sorted, for comparing tracks whose
// events at a tick may stand in another order.
std::vector<std::string> ByTick(const MidiTrackData& t) {
  std::vector<std::string> lines = Describe(t);
  std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    const long ta = std::stol(a.substr(2));
    const long tb = std::stol(b.substr(2));
    return ta != tb ? ta < tb : a < b;
  });
  return lines;
}

TEST_F(Notes, ParsePairSplitSerialiseGivesTheSameEvents) {
  const char* body =
      "00 FF 51 03 07 A1 20 00 C0 05 00 90 3C 64 00 40 50 60 3C 00 00 80 40 40 10 91 3C 64 "
      "00 B0 07 64 50 81 3C 40 00 FF 2F 00";
  auto t = ParseTrack(body);
  const std::vector<std::string> before = ByTick(*t);
  t->Serialise("MTrk");
  // Running status is written out and note-offs become 0x80 with velocity 64.
  EXPECT_EQ(BodyHex(*t),
            "00 FF 51 03 07 A1 20 00 C0 05 00 90 3C 64 00 90 40 50 60 80 3C 40 00 80 40 40 10 91 "
            "3C 64 00 B0 07 64 50 81 3C 40 00 FF 2F 00");
  auto cycle = [&t] {
    t->Parse();
    t->PairNotes();
    t->SplitNotes();
    t->Serialise("MTrk");
    return BodyHex(*t);
  };
  const std::string once = cycle();
  EXPECT_EQ(cycle(), once);
  t->Parse();
  EXPECT_EQ(ByTick(*t), before);
  EXPECT_TRUE(Messages().empty());
}

// --- Top notes, transposition, range ---

TEST_F(Notes, KeepTopNotesThinsChordsAndShortensToTheNextNote) {
  auto t = Track(kFormNotes, {NoteEvent(0, 0, 60, 100, 480), NoteEvent(0, 0, 64, 100, 480),
                              NoteEvent(0, 0, 67, 100, 480), NoteEvent(0, 1, 48, 100, 480),
                              NoteEvent(100, 0, 65, 100, 50), NoteEvent(0, 1, 50, 100, 480),
                              EndOfTrackEvent(300)});
  t->KeepTopNotes(0);
  // Channel 1 keeps its chord and its lengths.
  EXPECT_THAT(Describe(*t),
              ElementsAre("t=0 Note ch=0 n=67 v=100 d=100", "t=0 Note ch=1 n=48 v=100 d=480",
                          "t=100 Note ch=0 n=65 v=100 d=50", "t=100 Note ch=1 n=50 v=100 d=480",
                          "t=400 Meta type=47 value=0 []"));
}

TEST_F(Notes, KeepTopNotesKeepsEqualTopsAndDropsNotesWithoutRoom) {
  auto t = Track(kFormNotes,
                 {NoteEvent(0, 0, 67, 100, 480), NoteEvent(0, 0, 67, 100, 200),
                  NoteEvent(10, 0, 60, 100, 20), NoteEvent(0, 0, 62, 100, 50), EndOfTrackEvent(0)});
  t->KeepTopNotes(kNoChannel);
  // Equal tops both stay through the thinning; then the first 67 has no room
  // before the second and goes. The chord at the last tick is never closed by
  // a later delta, so both its notes survive the thinning, but the end of the
  // track at the same tick leaves them no room either.
  EXPECT_THAT(Describe(*t),
              ElementsAre("t=0 Note ch=0 n=67 v=100 d=10", "t=10 Meta type=47 value=0 []"));

  auto open = Track(kFormNotes,
                    {NoteEvent(0, 0, 60, 100, 0), NoteEvent(0, 0, 62, 100, 0), EndOfTrackEvent(0)});
  open->KeepTopNotes(0);
  EXPECT_EQ(open->Count(), 3);
}

TEST_F(Notes, TransposeFoldsIntoTheNoteRange) {
  auto t = Track(kFormNotes,
                 {NoteEvent(0, 0, 5, 100, 10), NoteEvent(0, 0, 120, 100, 10),
                  NoteEvent(0, 0, 60, 0, 10), NoteEvent(0, 1, 60, 100, 10), EndOfTrackEvent(0)});
  t->Transpose(0, -12);
  EXPECT_EQ(t->Event(0).note, 5);
  EXPECT_EQ(t->Event(1).note, 108);
  EXPECT_EQ(t->Event(2).note, 60);  // velocity 0 stays
  EXPECT_EQ(t->Event(3).note, 60);  // another channel
  t->Transpose(-1, 24);
  EXPECT_EQ(t->Event(1).note, 120);
  EXPECT_EQ(t->Event(3).note, 84);
  t->Transpose(-1, -1000);
  EXPECT_GE(t->Event(0).note, 0);
  EXPECT_LT(t->Event(0).note, 12);
}

TEST_F(Notes, NoteRangeOfAChannel) {
  auto t = Track(kFormNotes, {NoteEvent(0, 0, 72, 100, 10), NoteEvent(0, 0, 55, 100, 10),
                              NoteEvent(0, 1, 30, 100, 10), EndOfTrackEvent(0)});
  int low = -1;
  int high = -1;
  t->NoteRange(0, low, high);
  EXPECT_EQ(low, 55);
  EXPECT_EQ(high, 72);
  t->NoteRange(5, low, high);
  EXPECT_EQ(low, 127);
  EXPECT_EQ(high, 0);
}

}  // namespace
}  // namespace crx::test
