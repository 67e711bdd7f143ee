#include "singer/SingerCommand.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "foundation/CommandLine.h"
#include "foundation/FileHelpers.h"
#include "platform/ConsoleHost.h"
#include "platform/UiServices.h"
#include "singer/CVocalSinger.h"

namespace crx {
namespace {

constexpr const char* kUsage =
    "Usage: CantorixSinger [-o OUT.wav] [--voice female|female2|male] [--engine mbrola|espeak]\n"
    "                      VOCAL.mid\n"
    "  Sings the vocal MIDI into a WAV file (44100 Hz, 16-bit stereo), by default\n"
    "  the vocal MIDI's path with the extension \".wav\".\n"
    "  -o OUT.wav                    the WAV file to write\n"
    "  --voice female|female2|male   the voice; by default it follows the melody's range\n"
    "  --engine mbrola|espeak        the recorded diphone voices (mbrola-jp2, -jp3, -jp1)\n"
    "                                or espeak-ng; by default mbrola where it is installed\n"
    "  --help | --version\n";

int Fail(const std::string& reason) {
  std::fprintf(stderr, "CantorixSinger: %s\n%s", reason.c_str(), kUsage);
  return 1;
}

}  // namespace

int RunSingerCommand(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string midi;
  std::string wave;
  std::optional<SingerVoice> voice;
  std::optional<SingerEngine> engine;
  CommandLine reader;
  reader
      .Value({"-o"},
             [&](const std::string& value) {
               wave = value;
               return std::string();
             })
      .Value({"--voice"},
             [&](const std::string& value) -> std::string {
               if (value == "female") {
                 voice = SingerVoice::Female;
               } else if (value == "female2") {
                 voice = SingerVoice::Female2;
               } else if (value == "male") {
                 voice = SingerVoice::Male;
               } else {
                 return "--voice takes female, female2 or male: " + value;
               }
               return {};
             })
      .Value({"--engine"}, [&](const std::string& value) -> std::string {
        if (value == "mbrola") {
          engine = SingerEngine::Mbrola;
        } else if (value == "espeak") {
          engine = SingerEngine::Espeak;
        } else {
          return "--engine takes mbrola or espeak: " + value;
        }
        return {};
      });
  const CommandLine::Parsed parsed = reader.Parse(args);
  if (parsed.request != CommandLine::Request::Run) {
    std::fputs(CommandLine::Answer(parsed, kUsage, "CantorixSinger").c_str(), stdout);
    return 0;
  }
  if (!parsed.Ok()) return Fail(parsed.error);
  if (parsed.operands.size() > 1) return Fail("one vocal MIDI file is needed");
  if (!parsed.operands.empty()) midi = parsed.operands[0];
  if (midi.empty()) return Fail("one vocal MIDI file is needed");
  if (wave.empty()) wave = CVocalSinger::DefaultWavePath(midi);
  if (wave == midi) return Fail("the WAV would overwrite the vocal MIDI: " + wave);

  ConsoleHost host;
  ScopedUi scope(host);
  const bool sung = CVocalSinger::Run(midi, wave, voice, engine);
  return sung && FileExists(wave) != 0 ? 0 : 1;
}

}  // namespace crx
