#include "platform/FileChooser.h"

#include <optional>

#include "platform/UiServices.h"

namespace crx {

namespace {

void Place(FileDialogRequest& request, const FileDialogPlace& place) {
  request.title = place.title;
  request.startFolder = place.startFolder;
  request.proposedName = place.proposedName;
}

}  // namespace

std::optional<std::string> ChooseOpenFile(std::string_view defaultExtension,
                                          std::string_view filter, const FileDialogPlace& place) {
  FileDialogRequest request;
  Place(request, place);
  request.filter = std::string(filter);
  request.defaultExtension = std::string(defaultExtension);
  request.mustExist = true;
  return Ui().OpenFileDialog(request);
}

int SelectOpenFile(std::string_view defaultExtension, std::string_view filter, std::string& out,
                   const FileDialogPlace& place) {
  std::optional<std::string> chosen = ChooseOpenFile(defaultExtension, filter, place);
  if (!chosen) return 0;
  out = *chosen;
  return 1;
}

int SelectSaveFile(std::string_view filter, std::string_view defaultExtension, std::string& out,
                   bool overwritePrompt, const FileDialogPlace& place) {
  FileDialogRequest request;
  Place(request, place);
  request.filter = std::string(filter);
  request.defaultExtension = std::string(defaultExtension);
  request.overwritePrompt = overwritePrompt;
  std::optional<std::string> chosen = Ui().SaveFileDialog(request);
  if (!chosen) return 0;
  out = *chosen;
  return 1;
}

}  // namespace crx
