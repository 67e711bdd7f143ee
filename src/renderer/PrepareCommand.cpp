#include "renderer/PrepareCommand.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/CommandLine.h"
#include "foundation/FileHelpers.h"
#include "midi/renderer/PrepareMidi.h"
#include "platform/ConsoleHost.h"
#include "platform/UiServices.h"

namespace crx {
namespace {

constexpr const char* kPrepareUsage =
    "Usage: TunepressCRX --prepare [--volume P] [--channels MASK] [--lead-in B] IN.mid OUT.mid\n"
    "  --volume P       channel volumes scaled to P percent (default 70)\n"
    "  --channels MASK  sixteen digits 0 or 1, channel 1 first; 0 leaves the channel out\n"
    "                   (default: all sixteen on)\n"
    "  --lead-in B      B blank beats before the music (default 0)\n";

// The largest volume and lead-in the command takes: what a spin control of
// the settings dialog can hold.
constexpr int32_t kMaxOptionValue = 65535;

std::optional<int32_t> ParseCount(std::string_view text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < 0 || value > kMaxOptionValue) {
    return std::nullopt;
  }
  return value;
}

std::optional<renderer::ChannelFlags> ParseChannels(std::string_view text) {
  if (text.size() != renderer::kChannelCount) return std::nullopt;
  renderer::ChannelFlags flags{};
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '0' && text[i] != '1') return std::nullopt;
    flags[i] = text[i] == '1' ? 1 : 0;
  }
  return flags;
}

int Refuse(const std::string& text) {
  Ui().ShowMessage("TunepressCRX --prepare: " + text, MessageKind::Plain);
  std::fputs(kPrepareUsage, stderr);
  return 1;
}

}  // namespace

int RunPrepareCommand(const std::vector<std::string>& args) {
  ConsoleHost host;
  ScopedUi scope(host);

  int32_t volume = renderer::kDefaultVolumePercent;
  renderer::ChannelFlags channels = renderer::kAllChannelsOn;
  int32_t leadIn = 0;
  const auto count = [](const char* name, int32_t& target) {
    return [name, &target](const std::string& value) -> std::string {
      auto parsed = ParseCount(value);
      if (!parsed) {
        return std::string(name) + " needs a whole number from 0 to 65535, not \"" + value + "\"";
      }
      target = *parsed;
      return {};
    };
  };
  CommandLine reader;
  reader.Value({"--volume"}, count("--volume", volume))
      .Value({"--lead-in"}, count("--lead-in", leadIn))
      .Value({"--channels"}, [&channels](const std::string& value) -> std::string {
        auto parsed = ParseChannels(value);
        if (!parsed) return "--channels needs sixteen digits 0 or 1, not \"" + value + "\"";
        channels = *parsed;
        return {};
      });
  const CommandLine::Parsed parsed = reader.Parse(args);
  if (parsed.request != CommandLine::Request::Run) {
    std::fputs(CommandLine::Answer(parsed, kPrepareUsage, "TunepressCRX").c_str(), stdout);
    return 0;
  }
  if (!parsed.Ok()) return Refuse(parsed.error);
  const std::vector<std::string>& files = parsed.operands;
  if (files.size() != 2) return Refuse("give the input and the output MIDI file");

  bool written = renderer::PrepareMidi(files[0], files[1], volume, channels, leadIn);
  return written && FileExists(files[1]) == 1 ? 0 : 1;
}

}  // namespace crx
