#include "lyrics/CLyricConvertDlg.h"

#include "lyrics/CVocaloidConvert.h"
#include "lyrics/CVocaloidConvertInternalData.h"
#include "karaoke/XfKaraokeData.h"
#include "midi/TempoMap.h"
#include "platform/TextCodec.h"

namespace crx {

CLyricConvertDlg::CLyricConvertDlg(XfKaraokeData& song, CVocaloid& vocaloid, int melodyChannel,
                                   std::string dictionaryFolder)
    : song_(song),
      vocaloid_(vocaloid),
      melodyChannel_(melodyChannel),
      dictionaryFolder_(std::move(dictionaryFolder)) {}

bool CLyricConvertDlg::OnInitDialog() {
  std::vector<std::string> review;
  review.reserve(kMaxReviewLines);
  std::vector<MelodyReadingChoice> chosen;
  ConvertOptions options;
  options.melodyChoices = &chosen;
  CVocaloidConvert::Run(song_, vocaloid_, melodyChannel_, dictionaryFolder_, review, options);
  const TempoMap tempo(song_.MainTrack(), song_.Division());
  melodyChoices_.clear();
  for (const MelodyReadingChoice& c : chosen) {
    melodyChoices_.push_back(MelodyReadings::Describe(c, tempo));
  }
  lines_.clear();
  lines_.reserve(review.size());
  for (const std::string& line : review) lines_.push_back(TextCodec::Cp932ToUtf8Lossy(line));
  return true;
}

}  // namespace crx
