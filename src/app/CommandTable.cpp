#include "app/CommandTable.h"

namespace crx {

// Each headless command lives in its own unit and is listed here.
std::span<const CommandEntry> CantorixCommands() {
  static const CommandEntry kCommands[] = {
      {"", nullptr},
  };
  return std::span<const CommandEntry>(kCommands).subspan(1);
}

}  // namespace crx
