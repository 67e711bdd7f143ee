#include "midi/renderer/PrepareMidi.h"

#include "foundation/FileHelpers.h"
#include "foundation/GeneralError.h"
#include "midi/renderer/MultiTrackSong.h"
#include "midi/renderer/SingleTrackSong.h"
#include "midi/renderer/TrackPreparation.h"
#include "platform/UiServices.h"

namespace crx::renderer {
namespace {

constexpr int64_t kMicrosecondsPerMillisecond = 1000;

bool ChannelOn(const ChannelFlags& channels, int channel) {
  return channel > kMaxMidiChannel || channels[static_cast<size_t>(channel)] != 0;
}

bool PrepareFormat0(std::span<const uint8_t> image, const std::string& preparedPath,
                    int32_t volumePercent, const ChannelFlags& channels, int32_t leadInBeats) {
  SingleTrackSong song(image);
  if (song.Form() != kFormRaw) {
    ScaleVolume(song.Track(), volumePercent);
    for (int channel = 0; channel <= kMaxMidiChannel; ++channel) {
      if (!ChannelOn(channels, channel)) song.DeleteChannel(channel);
    }
    AddLeadIn(song.Track(), LeadInTicks(song.FirstTempo(), leadInBeats));
  }
  return song.WriteFile(preparedPath);
}

bool PrepareFormat1(std::span<const uint8_t> image, const std::string& preparedPath,
                    int32_t volumePercent, const ChannelFlags& channels, int32_t leadInBeats) {
  MultiTrackSong song(image);
  for (int i = song.TrackCount() - 1; i >= 0; --i) {
    MidiTrackData& track = *song.Track(i);
    ScaleVolume(track, volumePercent);
    const int channel = TrackChannel(track);
    if (channel != kNoChannel && !ChannelOn(channels, channel)) song.DeleteTrack(i);
  }
  // One shift for every kept track, so that the tracks stay together even
  // when a left-out track carried tempo events.
  const int64_t ticks = LeadInTicks(song.LastTempo(), leadInBeats);
  for (int i = 0; i < song.TrackCount(); ++i) AddLeadIn(*song.Track(i), ticks);
  return song.WriteFile(preparedPath);
}

}  // namespace

int64_t LeadInTicks(uint32_t tempo, int32_t beats) {
  if (beats <= 0) return 0;
  return int64_t{tempo} * beats / kMicrosecondsPerMillisecond;
}

bool PrepareMidiImage(std::vector<uint8_t> image, const std::string& preparedPath,
                      int32_t volumePercent, const ChannelFlags& channels, int32_t leadInBeats) {
  if (DetectFormat(image) == 0) {
    return PrepareFormat0(image, preparedPath, volumePercent, channels, leadInBeats);
  }
  return PrepareFormat1(image, preparedPath, volumePercent, channels, leadInBeats);
}

bool PrepareMidi(const std::string& midiPath, const std::string& preparedPath,
                 int32_t volumePercent, const ChannelFlags& channels, int32_t leadInBeats) {
  if (FileExists(midiPath) != 1) {
    Ui().ShowMessage(midiPath, MessageKind::Plain);
    GeneralErrorMsgPlain(kGeneOpenFailed);
    return false;
  }
  std::vector<uint8_t> image;
  if (!ReadFileLimited(midiPath, image, kRendererImageCapacity + 1)) return false;
  if (image.size() > kRendererImageCapacity) {
    // The file does not fit the image: refused rather than cut.
    GeneralErrorMsgPlain(kGeneTooLarge);
    return false;
  }
  return PrepareMidiImage(std::move(image), preparedPath, volumePercent, channels, leadInBeats);
}

}  // namespace crx::renderer
