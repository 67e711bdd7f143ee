#include "app/CommandTable.h"

#include "app/AutoCommand.h"
#include "app/ConvertCommand.h"
#include "audio/MixCommand.h"

namespace crx {

// Each headless command lives in its own unit and is listed here.
std::span<const CommandEntry> CantorixCommands() {
  static const CommandEntry kCommands[] = {
      {"auto", RunAutoCommand},
      {"mix", RunMixCommand},
      {"convert", RunConvertCommand},
  };
  return kCommands;
}

}  // namespace crx
