#include "foundation/AppSettings.h"

#include "foundation/FixedField.h"

namespace crx {

AppSettings AppSettings::Defaults(const std::string& startFolder) {
  AppSettings s;
  std::string lame = JoinPath(startFolder, "lame");
  if (FileExists(lame)) {
    WriteFixedField(s.mp3EncoderPath, lame);
  } else if (FileExists("/usr/bin/lame")) {
    WriteFixedField(s.mp3EncoderPath, "/usr/bin/lame");
  }
  if (FileExists("/usr/bin/audacity")) WriteFixedField(s.soundEditorPath, "/usr/bin/audacity");
  WriteFixedField(s.videoBackgroundPath, JoinPath(startFolder, "white.bmp"));
  return s;
}

}  // namespace crx
