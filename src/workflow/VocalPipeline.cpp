#include "workflow/VocalPipeline.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "foundation/Diagnostics.h"
#include "karaoke/KaraokeFileLoader.h"
#include "karaoke/MelodyChannelFinder.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "lyrics/CVocaloidConvertInternalData.h"
#include "lyrics/LyricTrackPreparer.h"
#include "midi/MidiTrackData.h"
#include "midi/TempoMap.h"
#include "platform/FileChooser.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"
#include "vocal/CVocalistList.h"
#include "vocal/CVocaloidFileWriter.h"

namespace crx {
namespace {

constexpr int kTenths = 10;

}  // namespace

bool VocalPipeline::IsSingable(const MelodyRange& range) {
  return range.lowest >= kLowestSingableNote && range.highest <= kHighestSingableNote;
}

MelodyRangeChooser VocalPipeline::OctaveShift(int octaves) {
  return [octaves](MelodyRange& range) {
    range.lowest += octaves * kOctave;
    range.highest += octaves * kOctave;
    if (IsSingable(range)) return true;
    ReportPlain(kRangeMessage);
    return false;
  };
}

namespace {

// Records the first tempo, lets choose move the melody's range and
// transposes the melody channel by the change of its lowest note.
bool ChooseRange(XfKaraokeData& song, int channel, const MelodyRangeChooser& choose,
                 int& firstTempo, int& transpose) {
  int tempo = 0;
  if (song.MainTrack().FirstTempo(tempo) == 1) firstTempo = tempo;

  MelodyRange before;
  song.MainTrack().NoteRange(channel, before.lowest, before.highest);
  MelodyRange after = before;
  if (choose && !choose(after)) return false;
  transpose = after.lowest - before.lowest;
  if (transpose != 0) song.MainTrack().Transpose(channel, transpose);
  return true;
}

constexpr int kMidiChannels = 16;
constexpr const char* kGivenChannelReason = "指定による";

}  // namespace

bool VocalPipeline::LoadKaraokeMidi(const std::string& path, int melodyChannel,
                                    const MelodyRangeChooser& choose,
                                    std::unique_ptr<XfKaraokeData>& song, int& firstTempo,
                                    int& transpose) {
  MelodyChannel melody;
  return LoadKaraokeMidi(path, melodyChannel, choose, song, firstTempo, transpose, melody);
}

bool VocalPipeline::LoadKaraokeMidi(const std::string& path, std::optional<int> givenChannel,
                                    const MelodyRangeChooser& choose,
                                    std::unique_ptr<XfKaraokeData>& song, int& firstTempo,
                                    int& transpose, MelodyChannel& melody,
                                    const LyricPreparationOptions& preparation) {
  song.reset();
  std::unique_ptr<XfKaraokeData> loaded = KaraokeFileLoader::Load(path);
  if (!loaded || loaded->MainTrack().Empty() || loaded->LyricTrack() == nullptr) return false;
  song = std::move(loaded);

  if (givenChannel) {
    melody = {*givenChannel, kGivenChannelReason};
  } else {
    const MelodyChannelFinder finder(*song);
    melody = {finder.Channel(), std::string(finder.Reason())};
  }
  LyricTrackPreparer::Prepare(*song, melody.channel, preparation);
  return ChooseRange(*song, melody.channel, choose, firstTempo, transpose);
}

std::optional<int> VocalPipeline::ParseMelodyChannel(std::string_view text) {
  int v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  if (v < 1 || v > kMidiChannels) return std::nullopt;
  return v - 1;
}

std::string VocalPipeline::MelodyChannelText(const MelodyChannel& melody) {
  return "メロディ: チャンネル " + std::to_string(melody.channel + 1) + "（" + melody.reason + "）";
}

ConversionOutcome VocalPipeline::ConvertLyrics(XfKaraokeData& song, CVocaloid& vocaloid,
                                               int melodyChannel,
                                               const std::string& dictionaryFolder,
                                               std::vector<std::string>& reviewLines,
                                               bool particlesAsSung) {
  ConversionOutcome outcome;
  ConvertOptions options;
  options.particlesAsSung = particlesAsSung;
  options.melodyChoices = &outcome.melodyChoices;
  const ConvertResult result = CVocaloidConvert::Run(
      song, vocaloid, melodyChannel, dictionaryFolder, reviewLines, options, &outcome.unsung);
  if (result.candidatesCut) Ui().Beep();
  if (!outcome.unsung.empty()) {
    Ui().ShowMessage(UnsungMessage(outcome.unsung, song), MessageKind::Plain);
  }
  outcome.limitHit = result.limitHit;
  for (const VocalNote& note : vocaloid.Notes()) {
    if (!note.IsEndRecord()) ++outcome.sungRecords;
  }
  return outcome;
}

std::string VocalPipeline::UnsungMessage(const std::vector<UnsungLyric>& unsung,
                                         const XfKaraokeData& song) {
  std::string text = kUnsungMessage;
  const TempoMap tempos(song.MainTrack(), song.Division());
  for (size_t i = 0; i < unsung.size() && i < kMaxUnsungNamed; ++i) {
    const double seconds = tempos.Seconds(unsung[i].tick);
    const auto tenths = static_cast<long long>(seconds * kTenths + 0.5);
    char time[32];
    std::snprintf(time, sizeof time, "%lld:%02lld.%lld", tenths / (60 * kTenths),
                  tenths / kTenths % 60, tenths % kTenths);
    text += (i == 0 ? " 「" : "、「") + TextCodec::Cp932ToUtf8Lossy(unsung[i].text) + "」" + time;
  }
  if (unsung.size() > kMaxUnsungNamed) {
    text += "、ほか" + std::to_string(unsung.size() - kMaxUnsungNamed) + "件";
  }
  return text;
}

bool VocalPipeline::WriteVocalMidi(const CVocaloid& vocaloid, const XfKaraokeData& song,
                                   const std::string& path, const std::string& voiceFolder) {
  CVocalistList voices(voiceFolder, [](int) {
    return ChooseOpenFile(CVocalistList::kDescriptionExtension, CVocalistList::kDescriptionFilter);
  });
  return CVocaloidFileWriter::WriteVocalFile(vocaloid, voices, path, song.MainTrack());
}

std::optional<int> VocalPipeline::ParseOctaveShift(std::string_view text) {
  int v = 0;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  if (v < -kMaxOctaveShift || v > kMaxOctaveShift) return std::nullopt;
  return v;
}

}  // namespace crx
