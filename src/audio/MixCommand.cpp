#include "audio/MixCommand.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string_view>

#include "audio/AudioMessages.h"
#include "audio/MixSong.h"
#include "foundation/AppSettings.h"
#include "foundation/CConfigControl.h"
#include "foundation/CommandLine.h"
#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "platform/Process.h"
#include "platform/UiServices.h"

namespace crx {
namespace {

constexpr const char* kMixUsage =
    "Usage: Cantorix mix [--tempo US] [--volumes V,A,M] [--reverbs V,A,M] VOCAL.wav ACC.wav "
    "OUT.wav\n"
    "  Mixes the vocal and the accompaniment, each with its volume and reverb, into OUT.wav;\n"
    "  the two inputs are only read.\n"
    "  --tempo US        first tempo in microseconds per quarter note for the lead-in of\n"
    "                    16 quarter notes (default 500000)\n"
    "  --volumes V,A,M   volume shares in percent, 0 to 200, of vocal, accompaniment, mix\n"
    "  --reverbs V,A,M   reverb taps, 0 to 32, of vocal, accompaniment, mix\n"
    "  Values not given come from the stored settings.\n";

int Fail(const std::string& reason) {
  std::fprintf(stderr, "Cantorix mix: %s\n%s", reason.c_str(), kMixUsage);
  return 1;
}

std::optional<long long> ParseInteger(std::string_view text) {
  long long v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return v;
}

// "a,b,c" with each value within [low, high].
std::optional<std::array<int32_t, 3>> ParseTriple(std::string_view text, int low, int high) {
  std::array<int32_t, 3> out{};
  for (size_t i = 0; i < out.size(); ++i) {
    const size_t comma = text.find(',');
    const bool last = i + 1 == out.size();
    if (last != (comma == std::string_view::npos)) return std::nullopt;
    const auto v = ParseInteger(text.substr(0, comma));
    if (!v || *v < low || *v > high) return std::nullopt;
    out[i] = static_cast<int32_t>(*v);
    if (!last) text.remove_prefix(comma + 1);
  }
  return out;
}

}  // namespace

int RunMixCommand(const std::vector<std::string>& args) {
  std::optional<long long> tempo;
  std::optional<std::array<int32_t, 3>> volumes;
  std::optional<std::array<int32_t, 3>> reverbs;
  CommandLine reader;
  reader
      .Value({"--tempo"},
             [&](const std::string& value) -> std::string {
               tempo = ParseInteger(value);
               if (!tempo || *tempo < 0 || *tempo > kMaxTempo) {
                 return "--tempo takes microseconds per quarter note, 0 to 16777215: " + value;
               }
               return {};
             })
      .Value({"--volumes"},
             [&](const std::string& value) -> std::string {
               volumes = ParseTriple(value, MixSettings::kMinVolume, MixSettings::kMaxVolume);
               if (!volumes) return "--volumes takes three percentages 0 to 200: " + value;
               return {};
             })
      .Value({"--reverbs"}, [&](const std::string& value) -> std::string {
        reverbs = ParseTriple(value, MixSettings::kMinReverb, MixSettings::kMaxReverb);
        if (!reverbs) return "--reverbs takes three tap counts 0 to 32: " + value;
        return {};
      });
  const CommandLine::Parsed parsed = reader.Parse(args);
  if (parsed.request != CommandLine::Request::Run) {
    std::fputs(CommandLine::Answer(parsed, kMixUsage, "Cantorix").c_str(), stdout);
    return 0;
  }
  if (!parsed.Ok()) return Fail(parsed.error);
  const std::vector<std::string>& paths = parsed.operands;
  if (paths.size() != 3) return Fail("three WAV paths are needed");
  for (const std::string& p : paths) {
    if (!FitsPathField(p)) return Fail("a path is longer than 259 bytes: " + p);
  }
  const std::string& vocal = paths[0];
  const std::string& accompaniment = paths[1];
  const std::string& output = paths[2];

  // The stored settings give the defaults; a headless run does not rewrite them.
  const AppSettings defaults = AppSettings::Defaults(StartFolder());
  AppSettings settings = defaults;
  std::string work;
  if (GetWorkFolder(work)) {
    CConfigControl config(JoinPath(work, kAppSettingsFileName), settings.Bytes(), defaults.Bytes(),
                          true, AppSettings::kEarlierSizes);
    config.SetSaveOnDestroy(false);
  }
  MixSettings mix = MixSettings::From(settings);
  if (volumes) {
    mix.vocalVolume = (*volumes)[0];
    mix.accompanimentVolume = (*volumes)[1];
    mix.mixVolume = (*volumes)[2];
  }
  if (reverbs) {
    mix.vocalReverb = (*reverbs)[0];
    mix.accompanimentReverb = (*reverbs)[1];
    mix.mixReverb = (*reverbs)[2];
  }

  if (output == vocal || output == accompaniment) {
    Ui().ShowMessage(kMsgSameFileName, MessageKind::Plain);
    return 1;
  }
  const uint32_t firstTempo = tempo ? static_cast<uint32_t>(*tempo) : kDefaultFirstTempo;
  const bool mixed = MixSong(vocal, accompaniment, output, mix, firstTempo,
                             ReadFixedField(settings.voiceProgramPath));
  return mixed && FileExists(output) ? 0 : 1;
}

}  // namespace crx
