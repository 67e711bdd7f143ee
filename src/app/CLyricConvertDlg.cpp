#include "app/CLyricConvertDlg.h"

#include <cstdio>

#include "app/CMelodyDlg.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "lyrics/CVocaloidConvertInternalData.h"
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
  noteRows_.clear();
  for (const VocalNote& note : vocaloid_.Notes()) {
    if (note.IsEndRecord()) continue;
    noteRows_.push_back(NoteRow(tempo.Seconds(note.startTick), note));
  }
  back_ = false;
  return true;
}

std::string CLyricConvertDlg::NoteRow(double seconds, const VocalNote& note) {
  constexpr int kTenths = 10;
  const auto tenths = static_cast<long long>(seconds * kTenths + 0.5);
  char time[32];
  std::snprintf(time, sizeof time, "%lld:%02lld.%lld", tenths / (60 * kTenths),
                tenths / kTenths % 60, tenths % kTenths);
  return std::string(time) + "  " + CMelodyDlg::NoteName(note.noteNumber) + "  " +
         TextCodec::Cp932ToUtf8Lossy(note.lyric);
}

bool CLyricConvertDlg::OnBack() {
  back_ = true;
  return true;
}

}  // namespace crx
