#include "app/ConvertCommand.h"

#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string_view>

#include "foundation/CommandLine.h"
#include "foundation/FileHelpers.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/MelodyReadings.h"
#include "midi/TempoMap.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"
#include "workflow/VocalPipeline.h"

namespace crx {
namespace {

constexpr const char* kConvertUsage =
    "Usage: Cantorix convert [--octave N] [--melody-channel N] [--no-chorus]\n"
    "                        [--particles-as-written] [-o VOCAL.mid] KARAOKE.mid\n"
    "  Reads the karaoke file, converts its lyrics to sung syllables and writes the\n"
    "  vocal MIDI for the singing editor. The review lines go to standard output.\n"
    "  KARAOKE.mid is an XF karaoke file (lyrics in its XFKM chunk or in its track),\n"
    "  a Soft Karaoke .kar file, or a MIDI file with one lyric per note (CP932 or UTF-8).\n"
    "  --octave N    moves the melody by N octaves (-10 to 10; default 0)\n"
    "  --melody-channel N\n"
    "                sings MIDI channel N (1-16; default: the channel the file names,\n"
    "                else 1)\n"
    "  --no-chorus   leaves the chorus part (&c) of an XF file unsung\n"
    "  --particles-as-written\n"
    "                sings the particles は and へ as written (default: わ and え)\n"
    "  -o VOCAL.mid  the vocal MIDI (default: out.mid beside KARAOKE.mid)\n";
constexpr const char* kVocalMidiName = "out.mid";
constexpr const char* kMelodyChoicesMessage = "旋律の音符の数で読みを選びました:";
constexpr const char* kSameNameMessage = "元のmidiファイルと同じ名前は指定できません。";

int Fail(const std::string& reason) {
  std::fprintf(stderr, "Cantorix convert: %s\n%s", reason.c_str(), kConvertUsage);
  return 1;
}

int Stop(const std::string& reason) {
  std::fprintf(stderr, "Cantorix convert: %s\n", reason.c_str());
  return 1;
}

}  // namespace

int RunConvertCommand(const std::vector<std::string>& args) {
  return RunConvertCommand(args, stdout);
}

int RunConvertCommand(const std::vector<std::string>& args, std::FILE* reviewOut) {
  int octaves = 0;
  std::optional<int> melodyChannel;
  bool particlesAsSung = true;
  LyricPreparationOptions preparation;
  std::string output;
  CommandLine reader;
  reader.Flag({"--no-chorus"}, [&] { preparation.singChorus = false; })
      .Flag({"--particles-as-written"}, [&] { particlesAsSung = false; })
      .Value({"-o"},
             [&](const std::string& value) {
               output = value;
               return std::string();
             })
      .Value({"--melody-channel"},
             [&](const std::string& value) -> std::string {
               melodyChannel = VocalPipeline::ParseMelodyChannel(value);
               if (!melodyChannel) return "--melody-channel takes a channel from 1 to 16: " + value;
               return {};
             })
      .Value({"--octave"}, [&](const std::string& value) -> std::string {
        std::optional<int> parsed = VocalPipeline::ParseOctaveShift(value);
        if (!parsed) return "--octave takes a whole number from -10 to 10: " + value;
        octaves = *parsed;
        return {};
      });
  const CommandLine::Parsed parsed = reader.Parse(args);
  if (parsed.request != CommandLine::Request::Run) {
    std::fputs(CommandLine::Answer(parsed, kConvertUsage, "Cantorix").c_str(), stdout);
    return 0;
  }
  if (!parsed.Ok()) return Fail(parsed.error);
  const std::vector<std::string>& paths = parsed.operands;
  if (paths.size() != 1) return Fail("one karaoke MIDI file is needed");
  const std::string& karaoke = paths[0];
  if (output.empty()) output = JoinPath(GetFolderOfPath(karaoke), kVocalMidiName);
  for (const std::string* p : std::initializer_list<const std::string*>{&karaoke, &output}) {
    if (!FitsPathField(*p)) return Fail("a path is longer than 259 bytes: " + *p);
  }
  // The vocal WAV and the accompaniment WAV are named after these two files.
  if (GetFileNameOfPath(output) == GetFileNameOfPath(karaoke)) {
    Ui().ShowMessage(kSameNameMessage, MessageKind::Plain);
    return 1;
  }

  std::unique_ptr<XfKaraokeData> song;
  int firstTempo = 0;
  int transpose = 0;
  MelodyChannel melody;
  if (!VocalPipeline::LoadKaraokeMidi(karaoke, melodyChannel, VocalPipeline::OctaveShift(octaves),
                                      song, firstTempo, transpose, melody, preparation)) {
    return Stop(song ? "the melody range was refused" : "no karaoke song could be read");
  }
  std::fprintf(stderr, "%s\n", VocalPipeline::MelodyChannelText(melody).c_str());

  CVocaloid vocaloid;
  vocaloid.SetMelodyChannel(melody.channel);
  std::vector<std::string> reviewLines;
  const ConversionOutcome outcome = VocalPipeline::ConvertLyrics(
      *song, vocaloid, melody.channel, StartFolder(), reviewLines, particlesAsSung);
  if (!outcome.melodyChoices.empty()) {
    const TempoMap tempo(song->MainTrack(), song->Division());
    std::fprintf(stderr, "%s\n", kMelodyChoicesMessage);
    for (const MelodyReadingChoice& c : outcome.melodyChoices) {
      std::fprintf(stderr, "  %s\n", MelodyReadings::Describe(c, tempo).c_str());
    }
  }
  for (const std::string& line : reviewLines) {
    std::fprintf(reviewOut, "%s\n", TextCodec::Cp932ToUtf8Lossy(line).c_str());
  }
  std::fflush(reviewOut);
  if (outcome.limitHit) return Stop("the song does not fit the conversion's limits");
  if (outcome.sungRecords == 0) return Stop("no melody note has a syllable to sing");

  const bool written = VocalPipeline::WriteVocalMidi(vocaloid, *song, output);
  return written && FileExists(output) ? 0 : 1;
}

}  // namespace crx
