#include "app/OutsidePrograms.h"

#include "foundation/FixedField.h"
#include "platform/FileChooser.h"
#include "platform/Process.h"
#include "platform/UiServices.h"

namespace crx {
namespace {

constexpr const char* kSystemMp3Encoder = "/usr/bin/lame";
constexpr const char* kSoundEditors[] = {"/usr/bin/audacity", "/usr/bin/mhwaveedit"};
constexpr std::string_view kAiffExtension = ".aiff";

std::string Quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  out.append(text);
  out.push_back('"');
  return out;
}

// Replaces the first mark at or after from; from becomes the end of the
// inserted value.
std::string Replace(std::string_view format, std::string_view mark, std::string_view value,
                    size_t* from = nullptr) {
  std::string out(format);
  const size_t at = out.find(mark, from != nullptr ? *from : 0);
  if (at == std::string::npos) return out;
  out.replace(at, mark.size(), value);
  if (from != nullptr) *from = at + value.size();
  return out;
}

}  // namespace

std::string FillMessage(std::string_view format, std::string_view text) {
  return Replace(format, "%s", text);
}

std::string FillMessage(std::string_view format, std::string_view first, std::string_view second) {
  size_t from = 0;
  const std::string once = Replace(format, "%s", first, &from);
  return Replace(once, "%s", second, &from);
}

std::string FillMessage(std::string_view format, long long number) {
  return Replace(format, "%d", std::to_string(number));
}

ProgramLocations ProgramLocations::Known(const std::string& startFolder) {
  ProgramLocations l;
  l.startFolder = startFolder;
  l.singer = {JoinPath(startFolder, OutsidePrograms::kSingerName)};
  l.mp3Encoder = {JoinPath(startFolder, OutsidePrograms::kMp3EncoderName), kSystemMp3Encoder};
  l.soundEditor.assign(std::begin(kSoundEditors), std::end(kSoundEditors));
  return l;
}

OutsidePrograms::OutsidePrograms(ProgramLocations locations, ProgramWaits waits)
    : locations_(std::move(locations)), waits_(waits) {}

OutsidePrograms OutsidePrograms::ForStartFolder(const std::string& startFolder) {
  return OutsidePrograms(ProgramLocations::Known(startFolder));
}

std::string OutsidePrograms::RendererPath() const {
  return JoinPath(locations_.startFolder, kRendererName);
}

std::string OutsidePrograms::VideoMakerPath() const {
  return JoinPath(locations_.startFolder, kVideoMakerName);
}

std::string OutsidePrograms::FirstExisting(const std::vector<std::string>& paths) {
  for (const std::string& p : paths) {
    if (FileExists(p)) return p;
  }
  return {};
}

AppSettings OutsidePrograms::DefaultSettings() const {
  AppSettings s = AppSettings::Defaults(locations_.startFolder);
  std::string singer = FirstExisting(locations_.singer);
  if (singer.empty()) {
    const std::string first = locations_.singer.empty() ? std::string() : locations_.singer.front();
    Ui().ShowMessage(FillMessage(kSingerNotFoundMessage, first), MessageKind::Plain);
    std::string chosen;
    if (SelectSaveFile(kSingerSaveFilter, kProgramExtension, chosen) != 0) singer = chosen;
  }
  // A choice too long for the field is refused there and leaves it empty.
  if (!singer.empty()) StorePathField(s.voiceProgramPath, singer);
  WriteFixedField(s.mp3EncoderPath, FirstExisting(locations_.mp3Encoder));
  WriteFixedField(s.soundEditorPath, FirstExisting(locations_.soundEditor));
  return s;
}

bool OutsidePrograms::AskForSinger(std::array<char, kPathFieldSize>& programField) {
  for (;;) {
    const std::string current = ReadFixedField(programField);
    if (!current.empty() && FileExists(current)) return true;
    Ui().ShowMessage(kAskSingerMessage, MessageKind::Plain);
    std::string chosen;
    if (SelectOpenFile(kProgramExtension, kProgramFilter, chosen) == 0) return false;
    StorePathField(programField, chosen);
  }
}

bool OutsidePrograms::PickProgram(std::array<char, kPathFieldSize>& field) {
  std::string chosen;
  if (SelectOpenFile(kProgramExtension, kProgramFilter, chosen) == 0) return false;
  return StorePathField(field, chosen);
}

bool OutsidePrograms::IsConverter(std::string_view programPath) {
  return programPath.find(kConverterMark) != std::string_view::npos;
}

std::vector<std::string> OutsidePrograms::SingerArguments(std::string_view programPath,
                                                          std::string_view karaokeMidiPath,
                                                          std::string_view vocalMidiPath,
                                                          std::string_view vocalWavPath,
                                                          int transpose) {
  if (IsConverter(programPath)) {
    return {std::string(karaokeMidiPath), std::string(vocalWavPath), std::to_string(transpose)};
  }
  return {std::string(vocalMidiPath)};
}

std::vector<std::string> OutsidePrograms::RendererArguments(std::string_view temporaryMidiPath,
                                                            std::string_view accompanimentWavPath) {
  return {std::string(temporaryMidiPath), std::string(accompanimentWavPath), kRendererMarker};
}

std::string OutsidePrograms::QuoteParameter(std::string_view text) {
  // Backslashes count only before a quote: a run of them there is doubled
  // and the quote escaped; a run at the end is doubled before the closing
  // quote. Plain paths come out as the text in quotes.
  std::string out = "\"";
  size_t slashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    if (c == '"') {
      out.append(slashes * 2 + 1, '\\');
      out.push_back('"');
    } else {
      out.append(slashes, '\\');
      out.push_back(c);
    }
    slashes = 0;
  }
  out.append(slashes * 2, '\\');
  out.push_back('"');
  return out;
}

std::string OutsidePrograms::Mp3Parameters(std::string_view mixWavPath, std::string_view mp3Path) {
  return QuoteParameter(mixWavPath) + " " + QuoteParameter(mp3Path) + " ";
}

std::string OutsidePrograms::VideoParameters(
    std::string_view mixWavPath, std::string_view karaokeMidiPath, std::string_view videoPath,
    std::string_view backgroundPath, std::string_view songInfoPath, std::string_view startFolder) {
  std::string out;
  for (std::string_view p :
       {mixWavPath, karaokeMidiPath, videoPath, backgroundPath, songInfoPath, startFolder}) {
    if (!out.empty()) out.push_back(' ');
    out += QuoteParameter(p);
  }
  return out;
}

std::string OutsidePrograms::SoundEditorParameters(std::string_view wavPath) {
  return QuoteParameter(wavPath);
}

bool OutsidePrograms::RenderVocal(const std::string& programPath,
                                  const std::string& karaokeMidiPath,
                                  const std::string& vocalMidiPath, const std::string& vocalWavPath,
                                  int transpose) const {
  if (!programPath.empty() && FileExists(programPath)) {
    Process::StartAndWait(programPath, SingerArguments(programPath, karaokeMidiPath, vocalMidiPath,
                                                       vocalWavPath, transpose));
  }
  if (FileExists(vocalWavPath)) return true;
  Ui().ShowMessage(FillMessage(kMissingFileMessage, vocalWavPath), MessageKind::Plain);
  return false;
}

bool OutsidePrograms::RenderAccompaniment(const std::string& temporaryMidiPath,
                                          const std::string& accompanimentWavPath) const {
  const std::string renderer = RendererPath();
  if (FileExists(renderer)) {
    Process::StartAndWait(renderer, RendererArguments(temporaryMidiPath, accompanimentWavPath));
  }
  const bool made = FileExists(accompanimentWavPath) != 0;
  if (made) {
    std::string aiff = accompanimentWavPath;
    RemoveExtension(aiff);
    aiff += kAiffExtension;
    RemoveFile(aiff);
  } else {
    Ui().ShowMessage(FillMessage(kMissingFileMessage, Quoted(accompanimentWavPath)),
                     MessageKind::Plain);
  }
  RemoveFile(temporaryMidiPath);
  return made;
}

bool OutsidePrograms::EncodeMp3(const std::string& encoderPath, const std::string& mixWavPath,
                                const std::string& mp3Path, bool* finished) const {
  if (finished != nullptr) *finished = false;
  if (encoderPath.empty()) return false;
  const Process::WaitOutcome outcome =
      Process::ShellOpen(encoderPath, Mp3Parameters(mixWavPath, mp3Path), waits_.mp3Ms);
  if (finished != nullptr) *finished = outcome == Process::WaitOutcome::Finished;
  if (outcome == Process::WaitOutcome::StartFailed) return false;
  return FileExists(mp3Path) != 0;
}

bool OutsidePrograms::MakeVideo(const std::string& mixWavPath, const std::string& karaokeMidiPath,
                                const std::string& videoPath, const std::string& backgroundPath,
                                const std::string& songInfoPath, VideoCheck check) const {
  const std::string parameters = VideoParameters(
      mixWavPath, karaokeMidiPath, videoPath, backgroundPath, songInfoPath, locations_.startFolder);
  if (check == VideoCheck::Repeated && parameters.size() > kLongVideoParameters) {
    Ui().ShowMessage(FillMessage(kLongParametersMessage, static_cast<long long>(parameters.size())),
                     MessageKind::Plain);
  }
  const Process::WaitOutcome outcome =
      Process::ShellOpen(VideoMakerPath(), parameters, waits_.videoMs);
  if (outcome == Process::WaitOutcome::StartFailed) {
    Ui().ShowMessage(parameters, MessageKind::Plain);
    return false;
  }
  const int checks = check == VideoCheck::Repeated ? waits_.videoChecks : 1;
  for (int i = 0; i < checks; ++i) {
    if (FileExists(videoPath)) return true;
    if (check == VideoCheck::Repeated) SleepMs(waits_.videoCheckPauseMs);
  }
  Ui().ShowMessage(FillMessage(kVideoFailedMessage, videoPath), MessageKind::Plain);
  return false;
}

void OutsidePrograms::OpenSoundEditor(const std::string& editorPath,
                                      const std::string& wavPath) const {
  if (editorPath.empty()) return;
  Process::ShellOpen(editorPath, SoundEditorParameters(wavPath), 0);
}

}  // namespace crx
