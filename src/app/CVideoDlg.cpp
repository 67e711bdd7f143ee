#include "app/CVideoDlg.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>

#include "foundation/Diagnostics.h"
#include "foundation/FixedField.h"
#include "karaoke/CSongData.h"
#include "karaoke/KaraokeFileLoader.h"
#include "karaoke/XfKaraokeData.h"
#include "karaoke/XfSongInformation.h"
#include "lyrics/Cp932Text.h"
#include "platform/FileChooser.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"
#include "workflow/OutsidePrograms.h"

namespace crx {
namespace {

constexpr std::array<std::string_view, CVideoDlg::kTextCount> kLabels = {
    CVideoDlg::kTitleLabel, CVideoDlg::kComposerLabel, CVideoDlg::kLyricistLabel,
    CVideoDlg::kLyricsLabel};

// A multi-line field keeps its line breaks as CR LF, whatever the window
// gave.
std::string CrLfLines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

CVideoDlg::CVideoDlg(std::string mixWavPath, std::string karaokeMidiPath,
                     std::array<char, kPathFieldSize>& backgroundPath, std::string videoPath,
                     std::string workFolder)
    : mixWavPath_(std::move(mixWavPath)),
      karaokeMidiPath_(std::move(karaokeMidiPath)),
      videoPath_(std::move(videoPath)),
      backgroundPath_(backgroundPath),
      workFolder_(std::move(workFolder)),
      songInfoPath_(JoinPath(workFolder_, kSongInfoFileName)) {}

std::string_view CVideoDlg::LabelOf(Text field) { return kLabels.at(field); }

size_t CVideoDlg::BufferOf(Text field) {
  return field == kLyrics ? kLyricsBuffer : kShortTextBuffer;
}

bool CVideoDlg::OnInitDialog() {
  backgroundText_ = ReadFixedField(backgroundPath_);
  for (std::string& t : texts_) t.clear();
  written_ = false;
  FillShortTexts();
  return true;
}

void CVideoDlg::FillShortTexts() {
  if (LoadLastTexts() || karaokeMidiPath_.empty() || FileExists(karaokeMidiPath_) == 0) return;
  // The file was read at step 1; what reading it again might report is no
  // news to the user.
  DiagnosticCollector quiet;
  std::unique_ptr<XfKaraokeData> song = KaraokeFileLoader::Load(karaokeMidiPath_);
  if (!song) return;
  const XfSongInformation info = XfSongInformation::From(*song);
  texts_[kTitle] = TextCodec::Cp932ToUtf8Lossy(info.title);
  texts_[kComposer] = TextCodec::Cp932ToUtf8Lossy(info.composer);
  texts_[kLyricist] = TextCodec::Cp932ToUtf8Lossy(info.lyricist);
}

bool CVideoDlg::LoadLastTexts() {
  std::ifstream in(JoinPath(workFolder_, kLastTextsFileName));
  std::string path;
  if (!in || !std::getline(in, path) || path != karaokeMidiPath_) return false;
  for (Text field : {kTitle, kComposer, kLyricist}) std::getline(in, texts_[field]);
  return true;
}

void CVideoDlg::SaveLastTexts() const {
  if (karaokeMidiPath_.empty()) return;
  const std::string path = JoinPath(workFolder_, kLastTextsFileName);
  std::string text = karaokeMidiPath_ + '\n';
  // One line each: a line break typed into a short field is a space.
  for (Text field : {kTitle, kComposer, kLyricist}) {
    std::string line = texts_[field];
    for (char& c : line) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    text += line + '\n';
  }
  ReplaceFileText(path, text);
}

void CVideoDlg::OnBrowseBackground() {
  std::string chosen;
  if (SelectOpenFile(kImageExtension, kImageFilter, chosen) == 0) return;
  if (StorePathField(backgroundPath_, chosen)) backgroundText_ = ReadFixedField(backgroundPath_);
}

bool CVideoDlg::OnOK() {
  // Every field is checked before anything is taken over.
  if (!FitsPathField(backgroundText_)) {
    ReportPathTooLong(backgroundText_);
    return false;
  }
  std::array<std::string, kTextCount> stored;
  for (size_t i = 0; i < kTextCount; ++i) {
    const Text field = static_cast<Text>(i);
    const std::string typed = field == kLyrics ? CrLfLines(texts_[i]) : texts_[i];
    std::optional<std::string> cp932 = TextCodec::Utf8ToCp932(typed);
    if (!cp932) {
      Ui().ShowMessage(FillMessage(kNotCp932Message, LabelOf(field)), MessageKind::Plain);
      return false;
    }
    stored[i] = std::string(Cp932Text::Head(*cp932, BufferOf(field) - 1));
  }
  WriteFixedField(backgroundPath_, backgroundText_);
  for (size_t i = 0; i < kTextCount; ++i) {
    texts_[i] = TextCodec::Cp932ToUtf8Lossy(stored[i]);
  }

  int numerator = kDefaultNumerator;
  int keyIndex = kDefaultKeyIndex;
  int measures = kDefaultMeasures;
  CSongData song(songInfoPath_, numerator, keyIndex, measures);
  song.SetTitle(stored[kTitle]);
  song.SetComposer(stored[kComposer]);
  song.SetLyricist(stored[kLyricist]);
  song.SetLyrics(stored[kLyrics]);
  written_ = song.Write(numerator, keyIndex, songInfoPath_, song.SecondValue());
  SaveLastTexts();
  return true;
}

}  // namespace crx
