#pragma once

#include <string>

namespace crx {

class XfKaraokeData;

// The questions of step 2: one correction dialog for each lyric the
// correction asks about, in order, each opening with the reading the
// conversion proposes and its place among them ("3 / 16").
class LyricCorrectionDialogs {
 public:
  // Returns the number of dialogs shown. A song without lyrics asks nothing.
  static int Run(XfKaraokeData& song, int melodyChannel, const std::string& dictionaryFolder,
                 bool particlesAsSung = true);
};

}  // namespace crx
