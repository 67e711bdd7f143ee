#include "app/CConfigDlg.h"

#include "foundation/FixedField.h"
#include "platform/UiServices.h"
#include "workflow/OutsidePrograms.h"

namespace crx {

DeleteFlags DeleteFlagsOf(const AppSettings& settings) {
  return {settings.deleteVocalMidi, settings.deleteVocalWav, settings.deleteAccompanimentWav,
          settings.deleteMixedWav};
}

void StoreDeleteFlags(AppSettings& settings, const DeleteFlags& flags) {
  settings.deleteVocalMidi = flags[0];
  settings.deleteVocalWav = flags[1];
  settings.deleteAccompanimentWav = flags[2];
  settings.deleteMixedWav = flags[3];
}

CConfigDlg::CConfigDlg(const DeleteFlags& flags, std::array<char, kPathFieldSize>& programPath,
                       std::array<char, kPathFieldSize>& encoderPath)
    : flags_(flags), programPath_(programPath), encoderPath_(encoderPath) {}

bool CConfigDlg::OnInitDialog() {
  programText_ = ReadFixedField(programPath_);
  encoderText_ = ReadFixedField(encoderPath_);
  for (size_t i = 0; i < ticked_.size(); ++i) ticked_[i] = flags_[i] == 1;
  if (voiceFile_.empty()) voiceFile_ = VoiceChoice::DefaultPath();
  voice_ = VoiceChoice::Load(voiceFile_);
  installed_ = VoiceChoice::InstalledDatabases(voiceFolder_);
  return true;
}

std::string CConfigDlg::VoiceLabel(VoiceChoice::Voice voice) const {
  const VoiceChoice::Entry& e = VoiceChoice::kEntries.at(static_cast<size_t>(voice));
  std::string label(e.label);
  if (e.database.empty()) return label;
  label += " (" + std::string(e.database) + ")";
  if (!VoiceChoice::Installed(voice, installed_)) label += kNotInstalledSuffix;
  return label;
}

std::string CConfigDlg::InstalledText() const {
  std::string text(kInstalledPrefix);
  if (installed_.empty()) return text + std::string(kNoDiphoneVoices);
  for (size_t i = 0; i < installed_.size(); ++i) text += (i == 0 ? "" : ", ") + installed_[i];
  return text;
}

void CConfigDlg::OnBrowseProgram() {
  if (OutsidePrograms::PickProgram(programPath_)) programText_ = ReadFixedField(programPath_);
}

void CConfigDlg::OnBrowseEncoder() {
  if (OutsidePrograms::PickProgram(encoderPath_)) encoderText_ = ReadFixedField(encoderPath_);
}

bool CConfigDlg::OnOK() {
  if (!FitsPathField(programText_)) {
    ReportPathTooLong(programText_);
    return false;
  }
  if (!StorePathField(encoderPath_, encoderText_)) return false;
  WriteFixedField(programPath_, programText_);
  for (size_t i = 0; i < ticked_.size(); ++i) flags_[i] = ticked_[i] ? 1 : 0;
  // The voice is no part of the settings record: a file of its own.
  if (VoiceChoice::Load(voiceFile_) != voice_ && !VoiceChoice::Save(voiceFile_, voice_)) {
    Ui().ShowMessage(kVoiceNotSavedMessage, MessageKind::Plain);
  }
  return true;
}

}  // namespace crx
