#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace crx {

// The file dialogs of the programs' dialog layers, through the installed
// host. The core never asks: it takes the paths it is given.

// Where a file dialog opens and what it says: its title, its folder and, for
// saving, the name it proposes. Empty fields leave the host's defaults.
struct FileDialogPlace {
  std::string title;
  std::string startFolder;
  std::string proposedName;
};

// The open-file dialog (the chosen file must exist): 1 and the path, or 0.
int SelectOpenFile(std::string_view defaultExtension, std::string_view filter, std::string& out,
                   const FileDialogPlace& place = {});
// The open-file dialog: the chosen path, or nothing when cancelled.
std::optional<std::string> ChooseOpenFile(std::string_view defaultExtension,
                                          std::string_view filter,
                                          const FileDialogPlace& place = {});
// The save-file dialog, asking before overwriting: 1 and the path, or 0.
int SelectSaveFile(std::string_view filter, std::string_view defaultExtension, std::string& out,
                   bool overwritePrompt = true, const FileDialogPlace& place = {});

}  // namespace crx
