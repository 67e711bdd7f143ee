#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace crx {

// The file dialogs of the programs' dialog layers, through the installed
// host. The core never asks: it takes the paths it is given.

// The open-file dialog (the chosen file must exist): 1 and the path, or 0.
int SelectOpenFile(std::string_view defaultExtension, std::string_view filter, std::string& out);
// The open-file dialog: the chosen path, or nothing when cancelled.
std::optional<std::string> ChooseOpenFile(std::string_view defaultExtension,
                                          std::string_view filter);
// The save-file dialog, asking before overwriting: 1 and the path, or 0.
int SelectSaveFile(std::string_view filter, std::string_view defaultExtension, std::string& out,
                   bool overwritePrompt = true);

}  // namespace crx
