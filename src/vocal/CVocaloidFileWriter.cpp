#include "vocal/CVocaloidFileWriter.h"

#include <array>
#include <cstdio>

#include "lyrics/CVocaloid.h"
#include "midi/MidiFormat1Data.h"
#include "midi/MidiMessages.h"
#include "midi/MidiTrackData.h"
#include "platform/Process.h"
#include "vocal/CVocalSequence.h"
#include "vocal/CVocalistList.h"

namespace crx {
namespace {

constexpr std::array<ErrorEntry, 1> kVofwTable = {{
    {kVofwBadTempo, "テンポの値が不正です。"},
}};

MidiEvent Control(int delta, const VocalControl& c) {
  MidiEvent e;
  e.kind = MidiKind::ControlChange;
  e.channel = CVocaloidFileWriter::kControlChannel;
  e.delta = delta;
  e.subtype = c.controller;
  e.value = c.value;
  return e;
}

// Appends to the voice track while one slot stays free for its end of track;
// past that shows the track's limit once and takes nothing more.
class VoiceAppender {
 public:
  explicit VoiceAppender(MidiTrackData& track) : track_(track) {}
  bool Append(MidiEvent event) {
    if (!Room()) return false;
    return track_.Append(std::move(event));
  }
  bool AppendText(std::string_view text) {
    if (!Room()) return false;
    track_.AppendMetaText(kMetaText, text);
    return true;
  }
  bool Full() const { return full_; }

 private:
  bool Room() {
    if (full_) return false;
    if (track_.Count() + 1 >= track_.MaxEvents()) {
      full_ = true;
      MdtkError(kMdtkTooManyEvents);
      return false;
    }
    return true;
  }

  MidiTrackData& track_;
  bool full_ = false;
};

}  // namespace

ModuleReporter& VofwReporter() {
  static ModuleReporter reporter(kVofwTag, kVofwTable, "");
  return reporter;
}

CVocaloidFileWriter::CVocaloidFileWriter(std::span<const VocalNote> notes,
                                         const MidiTrackData& sourceTrack, int pauseLength)
    : source_(sourceTrack),
      count_(static_cast<int>(notes.size())),
      pauseLength_(pauseLength),
      file_(std::make_unique<MidiFormat1Data>(kDivision)),
      notes_(notes.begin(), notes.end()) {}

CVocaloidFileWriter::~CVocaloidFileWriter() = default;

void CVocaloidFileWriter::Build(std::string_view singerName, int32_t program) {
  MidiTrackData* conductor = file_->AddTrack(kMidiChunkCapacity);
  MidiTrackData* voice = file_->AddTrack(kMidiLargeChunkCapacity);
  if (conductor == nullptr || voice == nullptr) return;
  conductor->SetForm(kFormNotes);
  voice->SetForm(kFormNotes);
  BuildConductor(*conductor);
  BuildVoice(*voice, singerName, program);
}

void CVocaloidFileWriter::BuildConductor(MidiTrackData& track) {
  track.AppendMetaText(kMetaTrackName, kConductorName);
  const int initial = source_.InitialTempo();
  if (initial == 0) {
    VofwReporter().Report(kVofwBadTempo);
  } else {
    track.AppendTempo(initial);
  }
  track.AppendTimeSignature();
  // The tempo at tick 0 is the one just written; every tempo after tick 0
  // follows four measures later than in the song, where the notes stand
  // after the pre-measures, so that the tempo changes under the same note.
  long long tick = 0;
  long long copiedTick = 0;
  for (const MidiEvent& e : source_.Events()) {
    tick += e.delta;
    if (!e.IsMeta(kMetaTempo) || tick == 0) continue;
    const long long sequenceTick = tick + CVocalSequence::kPreMeasureTicks;
    MidiEvent copy = MidiEvent::CopyOf(&e);
    copy.delta = static_cast<int>(sequenceTick - copiedTick);
    copiedTick = sequenceTick;
    if (!track.Append(std::move(copy))) break;
  }
  track.AppendEndOfTrack();
}

void CVocaloidFileWriter::BuildVoice(MidiTrackData& track, std::string_view singerName,
                                     int32_t program) {
  char name[32];
  std::snprintf(name, sizeof name, "%.*s%d", static_cast<int>(kVoiceTrackPrefix.size()),
                kVoiceTrackPrefix.data(), kVoiceTrackNumber);
  track.AppendMetaText(kMetaTrackName, name);

  CVocalSequence::ShortenOverlaps(notes_);
  VoiceAppender voice(track);
  for (const std::string& text :
       CVocalSequence::PackTextEvents(CVocalSequence::TextGroups(notes_, singerName))) {
    if (!voice.AppendText(text)) break;
  }
  for (const VocalControl& c : CVocalSequence::InitialControls(program)) {
    if (!voice.Append(Control(0, c))) break;
  }
  for (const VocalControlBlock& block : CVocalSequence::ControlStream(notes_)) {
    int delta = block.delta;
    for (const VocalControl& c : block.controls) {
      if (!voice.Append(Control(delta, c))) break;
      delta = 0;
    }
    if (voice.Full()) break;
  }
  track.AppendEndOfTrack();
}

bool CVocaloidFileWriter::Save(const std::string& path) {
  if (pauseLength_ > 0) SleepMs(pauseLength_);
  return file_->Save(path) == 1;
}

bool CVocaloidFileWriter::WriteVocalFile(const CVocaloid& vocaloid, const CVocalistList& voices,
                                         const std::string& path, const MidiTrackData& mainTrack) {
  CVocaloidFileWriter writer(vocaloid.Notes(), mainTrack, vocaloid.PauseLength());
  writer.Build(voices.FirstName(), voices.FirstProgram());
  return writer.Save(path);
}

}  // namespace crx
