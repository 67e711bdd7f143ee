#include "renderer/TunepressCommand.h"

#include <cstdio>
#include <string>
#include <vector>

#include "renderer/PrepareCommand.h"

#include "renderer/ConversionCommand.h"

namespace crx {
namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  TunepressCRX                                   the renderer's window\n"
    "  TunepressCRX MIDI WAV crx                      the renderer's command line\n"
    "  TunepressCRX --prepare [--volume P] [--channels 0101...] [--lead-in B] IN.mid OUT.mid\n"
    "  TunepressCRX --help | --version\n";

}  // namespace

int RunTunepressCommand(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, stdout);
    return args.empty() ? 1 : 0;
  }
  if (args[0] == "--version") {
    std::printf("TunepressCRX %s\n", CRX_VERSION);
    return 0;
  }
  if (args[0].rfind("--", 0) != 0) return renderer::RunConversionCommand(args);
  if (args[0] == "--prepare") {
    return RunPrepareCommand(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  std::fprintf(stderr, "TunepressCRX: unknown arguments\n%s", kUsage);
  return 1;
}

}  // namespace crx
