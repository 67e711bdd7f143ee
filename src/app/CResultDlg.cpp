#include "app/CResultDlg.h"

#include "foundation/Diagnostics.h"
#include "foundation/FileHelpers.h"
#include "platform/Process.h"
#include "workflow/OutsidePrograms.h"

namespace crx {

CResultDlg::CResultDlg(std::string heading, const std::vector<Entry>& candidates,
                       std::string opener)
    : heading_(std::move(heading)), opener_(std::move(opener)) {
  for (const Entry& entry : candidates) {
    if (!entry.path.empty() && FileExists(entry.path) == 1) files_.push_back(entry);
  }
}

std::string CResultDlg::Line(const Entry& entry) {
  return std::string(entry.kind) + ": " + entry.path;
}

void CResultDlg::Select(int index) {
  if (index >= 0 && index < static_cast<int>(files_.size())) selection_ = index;
}

bool CResultDlg::Play() const {
  if (files_.empty()) return false;
  return Open(files_[static_cast<size_t>(selection_)].path);
}

bool CResultDlg::OpenFolder() const {
  if (files_.empty()) return false;
  return Open(GetFolderOfPath(files_[static_cast<size_t>(selection_)].path));
}

bool CResultDlg::Open(const std::string& path) const {
  // Not waited for: the player runs on beside the program.
  if (Process::ShellOpen(opener_, OutsidePrograms::QuoteParameter(path), 0) ==
      Process::WaitOutcome::StartFailed) {
    ReportPlain(std::string(kOpenFailedMessage) + "\n" + path);
    return false;
  }
  return true;
}

}  // namespace crx
