#include "workflow/SettingsSession.h"

#include "foundation/FileHelpers.h"
#include "workflow/OutsidePrograms.h"
#include "workflow/Workflow.h"

namespace crx {

void SettingsSession::Open(const OutsidePrograms& programs) {
  store_.reset();
  workFolder_.clear();
  const bool haveWorkFolder = GetWorkFolder(workFolder_);
  if (!haveWorkFolder) workFolder_.clear();
  const AppSettings defaults = programs.DefaultSettings();
  values_ = defaults;
  if (haveWorkFolder) {
    store_ = std::make_unique<CConfigControl>(FilePath(), values_.Bytes(), defaults.Bytes(), true,
                                              AppSettings::kEarlierSizes);
  }
  // A record from elsewhere may hold a mode the program does not know.
  if (values_.mode < 0 || values_.mode >= Workflow::kModeCount) values_.mode = Workflow::kManual;
}

void SettingsSession::KeepFile() {
  if (store_) store_->SetSaveOnDestroy(false);
}

std::string SettingsSession::FilePath() const {
  return workFolder_.empty() ? std::string() : JoinPath(workFolder_, kAppSettingsFileName);
}

}  // namespace crx
