#include "app/CantorixCommand.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandTable.h"

namespace crx {
namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  Cantorix                                       the main dialog\n"
    "  Cantorix auto [--mode wav|mp3|wmv] [--octave N] [--singer PROGRAM]\n"
    "                [--title T] [--composer C] [--lyricist L] KARAOKE.mid\n"
    "  Cantorix convert [--octave N] [--particles-as-written] [-o VOCAL.mid] KARAOKE.mid\n"
    "  Cantorix mix [--tempo US] [--volumes V,A,M] [--reverbs V,A,M] VOCAL.wav ACC.wav OUT.wav\n"
    "  Cantorix --help | --version\n";

}  // namespace

int RunCantorixCommand(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, stdout);
    return args.empty() ? 1 : 0;
  }
  if (args[0] == "--version") {
    std::printf("Cantorix %s\n", CRX_VERSION);
    return 0;
  }
  for (const CommandEntry& entry : CantorixCommands()) {
    if (args[0] == entry.name) {
      return entry.run(std::vector<std::string>(args.begin() + 1, args.end()));
    }
  }
  std::fprintf(stderr, "Cantorix: unknown command '%s'\n%s", args[0].c_str(), kUsage);
  return 1;
}

}  // namespace crx
