#pragma once

#include <memory>
#include <string>

#include "foundation/AppSettings.h"
#include "foundation/CConfigControl.h"

namespace crx {

class OutsidePrograms;

// The settings of one session of the main program: the defaults with the
// outside programs found, the settings file of the working folder over them,
// written back when the session ends (unless told to leave it).
class SettingsSession {
 public:
  SettingsSession() = default;
  SettingsSession(const SettingsSession&) = delete;
  SettingsSession& operator=(const SettingsSession&) = delete;

  // Finds the working folder, builds the defaults (which may ask for the
  // singing-voice program) and reads the settings file over them. Without a
  // working folder the defaults serve the session and nothing is saved.
  void Open(const OutsidePrograms& programs);
  // Writes the settings file now, if there is one, and ends the session.
  void Close() { store_.reset(); }
  // Headless runs read the settings file but leave it as it was.
  void KeepFile();

  AppSettings& Values() { return values_; }
  const std::string& WorkFolder() const { return workFolder_; }
  // Empty without a working folder.
  std::string FilePath() const;

 private:
  AppSettings values_;
  std::string workFolder_;
  std::unique_ptr<CConfigControl> store_;  // saves values_ when it goes
};

}  // namespace crx
