#include "workflow/OutsidePrograms.h"

#include <cstdio>

#include "foundation/Diagnostics.h"
#include "foundation/FixedField.h"
#include "platform/FileChooser.h"
#include "platform/Process.h"
#include "platform/ProgressLine.h"
#include "platform/UiServices.h"
#include "workflow/SetAsideFile.h"

namespace crx {
namespace {

constexpr const char* kSystemMp3Encoder = "/usr/bin/lame";
constexpr const char* kSoundEditors[] = {"/usr/bin/audacity", "/usr/bin/mhwaveedit"};
constexpr std::string_view kPartialMark = ".partial";

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

bool OutsidePrograms::PickProgram(std::array<char, kPathFieldSize>& field) {
  std::string chosen;
  if (SelectOpenFile(kProgramExtension, kProgramFilter, chosen) == 0) return false;
  return StorePathField(field, chosen);
}

bool OutsidePrograms::IsConverter(std::string_view programPath) {
  return programPath.find(kConverterMark) != std::string_view::npos;
}

std::vector<std::string> OutsidePrograms::SingerArguments(
    std::string_view programPath, std::string_view karaokeMidiPath, std::string_view vocalMidiPath,
    std::string_view vocalWavPath, int transpose, const std::vector<std::string>& voiceArguments) {
  if (IsConverter(programPath)) {
    return {std::string(karaokeMidiPath), std::string(vocalWavPath), std::to_string(transpose)};
  }
  std::vector<std::string> arguments{std::string(vocalMidiPath)};
  // Only our own singer takes the voice chosen in the settings.
  if (GetFileNameOfPath(programPath) == kSingerName) {
    arguments.insert(arguments.end(), voiceArguments.begin(), voiceArguments.end());
  }
  return arguments;
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

namespace {

// The message of a failed program with its own last words after it (not
// its progress).
void TellFailure(const std::string& message, const Process::RunResult& run,
                 std::string_view progressName = {}) {
  const std::string why = OutsidePrograms::LastLines(run.errorOutput, progressName);
  ReportPlain(why.empty() ? message : message + "\n" + why);
}

// Runs a program in a group of its own under the watch and tells the watch
// its progress: a program given a progressName reports it on standard error
// in that name; any other has none.
Process::RunResult RunWatched(const ProgramWatch& watch, std::string_view progressName,
                              const std::string& program, const std::vector<std::string>& args,
                              Process::RunOptions options) {
  options.shouldStop = watch.shouldStop;
  if (!watch.progress) return Process::RunInGroup(program, args, options);
  if (progressName.empty()) {
    watch.progress(ProgramWatch::kNoProgress);
    return Process::RunInGroup(program, args, options);
  }
  watch.progress(0);
  options.onErrorLine = [&watch, progressName](std::string_view line) {
    const int percent = ProgressLine::PercentOf(progressName, line);
    if (percent != ProgressLine::kNotProgress) watch.progress(percent);
  };
  Process::RunResult run = Process::RunInGroup(program, args, options);
  watch.progress(ProgramWatch::kNoProgress);
  return run;
}

bool EndedWell(const Process::RunResult& run) {
  return run.outcome == Process::WaitOutcome::Finished && run.status == 0;
}

}  // namespace

std::string OutsidePrograms::PartialPathFor(const std::string& productPath) {
  const size_t slash = productPath.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = productPath.find_last_of('.');
  const size_t extension = dot == std::string::npos || dot < nameStart ? productPath.size() : dot;
  return productPath.substr(0, nameStart) + "." +
         productPath.substr(nameStart, extension - nameStart) + std::string(kPartialMark) +
         productPath.substr(extension);
}

std::string OutsidePrograms::LastLines(std::string_view errorText, std::string_view progressName) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < errorText.size()) {
    size_t end = errorText.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = errorText.size();
    const std::string_view line = errorText.substr(start, end - start);
    if (!line.empty() &&
        ProgressLine::PercentOf(progressName, line) == ProgressLine::kNotProgress) {
      lines.push_back(line);
    }
    start = end + 1;
  }
  std::string out;
  for (size_t i = lines.size() > kErrorLines ? lines.size() - kErrorLines : 0; i < lines.size();
       ++i) {
    if (!out.empty()) out.push_back('\n');
    out.append(lines[i]);
  }
  return out;
}

bool OutsidePrograms::RenderVocal(const std::string& programPath,
                                  const std::string& karaokeMidiPath,
                                  const std::string& vocalMidiPath, const std::string& vocalWavPath,
                                  int transpose,
                                  const std::vector<std::string>& voiceArguments) const {
  SetAsideFile earlier(vocalWavPath);
  Process::RunResult run;
  if (!programPath.empty() && FileExists(programPath)) {
    run = RunWatched(watch_, {}, programPath,
                     SingerArguments(programPath, karaokeMidiPath, vocalMidiPath, vocalWavPath,
                                     transpose, voiceArguments),
                     {});
    if (run.outcome == Process::WaitOutcome::Stopped) return false;
  }
  if (EndedWell(run) && FileExists(vocalWavPath)) {
    earlier.Keep();
    return true;
  }
  TellFailure(FillMessage(kMissingFileMessage, vocalWavPath), run);
  return false;
}

bool OutsidePrograms::RenderAccompaniment(const std::string& temporaryMidiPath,
                                          const std::string& accompanimentWavPath) const {
  const std::string renderer = RendererPath();
  SetAsideFile earlier(accompanimentWavPath);
  Process::RunResult run;
  if (FileExists(renderer)) {
    run = RunWatched(watch_, kRendererName, renderer,
                     RendererArguments(temporaryMidiPath, accompanimentWavPath), {});
  }
  const bool made = EndedWell(run) && FileExists(accompanimentWavPath) != 0;
  if (made) {
    earlier.Keep();
  } else if (run.outcome != Process::WaitOutcome::Stopped) {
    TellFailure(FillMessage(kMissingFileMessage, Quoted(accompanimentWavPath)), run, kRendererName);
  }
  RemoveFile(temporaryMidiPath);
  return made;
}

bool OutsidePrograms::EncodeMp3(const std::string& encoderPath, const std::string& mixWavPath,
                                const std::string& mp3Path, bool* finished) const {
  if (finished != nullptr) *finished = false;
  if (encoderPath.empty()) return false;
  const std::string partial = PartialPathFor(mp3Path);
  RemoveFile(partial);
  Process::RunOptions options;
  options.timeoutMs = waits_.mp3Ms;
  options.quietOutput = true;
  const Process::RunResult run =
      RunWatched(watch_, {}, encoderPath,
                 Process::SplitParameterString(Mp3Parameters(mixWavPath, partial)), options);
  if (finished != nullptr) *finished = run.outcome == Process::WaitOutcome::Finished;
  bool made = false;
  switch (run.outcome) {
    case Process::WaitOutcome::Finished:
      made = run.status == 0 && FileExists(partial);
      break;
    case Process::WaitOutcome::TimedOut:
      // Still writing: its file takes the product's name now and grows
      // there; without one so far it is stopped.
      made = FileExists(partial) != 0;
      if (made) {
        if (watch_.leftRunning) watch_.leftRunning(run.leftRunning);
      } else {
        Process::StopGroup(run.leftRunning);
      }
      break;
    case Process::WaitOutcome::StartFailed:
    case Process::WaitOutcome::Stopped:
      break;
  }
  if (made) made = std::rename(partial.c_str(), mp3Path.c_str()) == 0;
  if (!made) {
    RemoveFile(partial);
    if (run.outcome != Process::WaitOutcome::Stopped) {
      TellFailure(FillMessage(kVideoFailedMessage, mp3Path), run);
    }
  }
  return made;
}

bool OutsidePrograms::MakeVideo(const std::string& mixWavPath, const std::string& karaokeMidiPath,
                                const std::string& videoPath, const std::string& backgroundPath,
                                const std::string& songInfoPath, VideoCheck check) const {
  const std::string partial = PartialPathFor(videoPath);
  RemoveFile(partial);
  const std::string parameters = VideoParameters(
      mixWavPath, karaokeMidiPath, partial, backgroundPath, songInfoPath, locations_.startFolder);
  if (check == VideoCheck::Repeated && parameters.size() > kLongVideoParameters) {
    ReportPlain(FillMessage(kLongParametersMessage, static_cast<long long>(parameters.size())));
  }
  Process::RunOptions options;
  options.timeoutMs = waits_.videoMs;
  options.quietOutput = true;
  const Process::RunResult run = RunWatched(watch_, kVideoMakerName, VideoMakerPath(),
                                            Process::SplitParameterString(parameters), options);
  if (run.outcome == Process::WaitOutcome::StartFailed) {
    ReportPlain(parameters);
    return false;
  }
  if (run.outcome == Process::WaitOutcome::Stopped) {
    RemoveFile(partial);
    return false;
  }
  if (run.outcome == Process::WaitOutcome::TimedOut && watch_.leftRunning) {
    watch_.leftRunning(run.leftRunning);
  }
  if (run.outcome == Process::WaitOutcome::Finished && run.status != 0) {
    RemoveFile(partial);
    TellFailure(FillMessage(kVideoFailedMessage, videoPath), run, kVideoMakerName);
    return false;
  }
  const int checks = check == VideoCheck::Repeated ? waits_.videoChecks : 1;
  for (int i = 0; i < checks; ++i) {
    if (FileExists(partial)) return std::rename(partial.c_str(), videoPath.c_str()) == 0;
    if (watch_.shouldStop && watch_.shouldStop()) return false;
    if (check == VideoCheck::Repeated) SleepMs(waits_.videoCheckPauseMs);
  }
  ReportPlain(FillMessage(kVideoFailedMessage, videoPath));
  return false;
}

void OutsidePrograms::OpenSoundEditor(const std::string& editorPath,
                                      const std::string& wavPath) const {
  if (editorPath.empty()) return;
  Process::ShellOpen(editorPath, SoundEditorParameters(wavPath), 0);
}

}  // namespace crx
