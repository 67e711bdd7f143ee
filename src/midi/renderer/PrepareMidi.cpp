#include "midi/renderer/PrepareMidi.h"

#include "foundation/Diagnostics.h"
#include "foundation/FileHelpers.h"
#include "foundation/GeneralError.h"
#include "midi/renderer/MultiTrackSong.h"
#include "midi/renderer/SingleTrackSong.h"
#include "midi/renderer/TrackPreparation.h"

namespace crx::renderer {
namespace {

constexpr int64_t kMicrosecondsPerMillisecond = 1000;

bool ChannelOn(const ChannelFlags& channels, int channel) {
  return channel > kMaxMidiChannel || channels[static_cast<size_t>(channel)] != 0;
}

std::optional<std::vector<uint8_t>> PrepareFormat0(std::span<const uint8_t> image,
                                                   int32_t volumePercent,
                                                   const ChannelFlags& channels,
                                                   int32_t leadInBeats) {
  SingleTrackSong song(image);
  if (song.Form() != kFormRaw) {
    ScaleVolume(song.Track(), volumePercent);
    for (int channel = 0; channel <= kMaxMidiChannel; ++channel) {
      if (!ChannelOn(channels, channel)) song.DeleteChannel(channel);
    }
    AddLeadIn(song.Track(), LeadInTicks(song.FirstTempo(), leadInBeats));
  }
  if (!song.BuildImage()) return std::nullopt;
  const std::span<const uint8_t> bytes = song.ImageBytes();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::optional<std::vector<uint8_t>> PrepareFormat1(std::span<const uint8_t> image,
                                                   int32_t volumePercent,
                                                   const ChannelFlags& channels,
                                                   int32_t leadInBeats) {
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
  song.BuildImage();
  const std::span<const uint8_t> bytes = song.ImageBytes();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool WritePrepared(const std::optional<std::vector<uint8_t>>& prepared,
                   const std::string& preparedPath) {
  return prepared && WriteRecord(preparedPath, *prepared);
}

}  // namespace

int64_t LeadInTicks(uint32_t tempo, int32_t beats) {
  if (beats <= 0) return 0;
  return int64_t{tempo} * beats / kMicrosecondsPerMillisecond;
}

std::optional<std::vector<uint8_t>> PrepareMidiBytes(std::span<const uint8_t> image,
                                                     int32_t volumePercent,
                                                     const ChannelFlags& channels,
                                                     int32_t leadInBeats) {
  // Format detection may move the image down past a Mac binary header.
  std::vector<uint8_t> copy(image.begin(), image.end());
  if (DetectFormat(copy) == 0) return PrepareFormat0(copy, volumePercent, channels, leadInBeats);
  return PrepareFormat1(copy, volumePercent, channels, leadInBeats);
}

std::optional<std::vector<uint8_t>> PrepareMidiFile(const std::string& midiPath,
                                                    int32_t volumePercent,
                                                    const ChannelFlags& channels,
                                                    int32_t leadInBeats) {
  if (FileExists(midiPath) != 1) {
    ReportPlain(midiPath);
    GeneralErrorMsgPlain(kGeneOpenFailed);
    return std::nullopt;
  }
  std::vector<uint8_t> image;
  if (!ReadFileLimited(midiPath, image, kRendererImageCapacity + 1)) return std::nullopt;
  if (image.size() > kRendererImageCapacity) {
    // The file does not fit the image: refused rather than cut.
    GeneralErrorMsgPlain(kGeneTooLarge);
    return std::nullopt;
  }
  return PrepareMidiBytes(image, volumePercent, channels, leadInBeats);
}

bool PrepareMidiImage(std::vector<uint8_t> image, const std::string& preparedPath,
                      int32_t volumePercent, const ChannelFlags& channels, int32_t leadInBeats) {
  return WritePrepared(PrepareMidiBytes(image, volumePercent, channels, leadInBeats), preparedPath);
}

bool PrepareMidi(const std::string& midiPath, const std::string& preparedPath,
                 int32_t volumePercent, const ChannelFlags& channels, int32_t leadInBeats) {
  return WritePrepared(PrepareMidiFile(midiPath, volumePercent, channels, leadInBeats),
                       preparedPath);
}

}  // namespace crx::renderer
