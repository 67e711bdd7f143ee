#include "renderer/MovieServices.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>

#include "foundation/FileDescriptor.h"
#include "foundation/FileHelpers.h"
#include "renderer/MidiFileCheck.h"
#include "renderer/SynthComponent.h"

namespace crx::renderer {
namespace {

// A movie file larger than this is no MIDI file the renderer plays.
constexpr size_t kMaxMovieFileBytes = 16u << 20;

// The process-wide state of the component, guarded by the
// initialise/terminate mutex; the synthesizer itself is used under the
// render mutex by one export at a time.
std::mutex g_initTermMutex;
int g_initCount = 0;
std::unique_ptr<SynthComponent> g_synth;
std::vector<std::string> g_tried;
std::mutex g_renderMutex;

bool FolderExists(const std::string& path) {
  struct stat st {};
  return stat(GetFolderOfPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Reads a regular file of at most limit bytes.
MovieResult ReadMovieFile(const std::string& path, std::vector<uint8_t>& out) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? kMovieFileNotFound : kMovieIoError;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return kMovieNoMovieFound;
  }
  if (static_cast<uint64_t>(st.st_size) > kMaxMovieFileBytes) {
    close(fd);
    return kMovieInvalidMovie;
  }
  out.resize(static_cast<size_t>(st.st_size));
  size_t done = FileDescriptor::ReadFully(fd, out);
  close(fd);
  out.resize(done);
  return kMovieNoError;
}

}  // namespace

MovieServices::~MovieServices() {
  observer_ = nullptr;  // whoever watched may be gone already
  while (!movies_.empty()) DisposeMovie(movies_.begin()->first);
  while (!files_.empty()) CloseMovieFile(files_.begin()->first);
  if (entered_) ExitMovies();
  while (initCount_ > 0) Terminate();
}

MovieResult MovieServices::Report(MovieOperation operation, MovieResult result) {
  if (observer_) observer_(operation, result);
  return result;
}

MovieResult MovieServices::Ready() const {
  if (initCount_ == 0) return kMovieComponentMissing;
  if (!entered_) return kMovieNotEntered;
  return kMovieNoError;
}

MovieResult MovieServices::Initialize(int32_t /*flags*/) {
  std::lock_guard lock(g_initTermMutex);
  if (g_initCount == 0) {
    SynthComponent::LoadResult loaded = SynthComponent::LoadResult::NoSoundFont;
    g_synth = SynthComponent::Load(loaded, g_tried);
    if (!g_synth) {
      return Report(MovieOperation::Initialize,
                    loaded == SynthComponent::LoadResult::SynthesizerFailed
                        ? kMovieComponentEntryMissing
                        : kMovieComponentCannotLoad);
    }
  }
  ++g_initCount;
  ++initCount_;
  return Report(MovieOperation::Initialize, kMovieNoError);
}

MovieResult MovieServices::EnterMovies() {
  if (initCount_ == 0) return Report(MovieOperation::EnterMovies, kMovieComponentMissing);
  entered_ = true;
  return Report(MovieOperation::EnterMovies, kMovieNoError);
}

MovieResult MovieServices::MakeToolboxString(std::string& path) {
  MovieResult r = Ready();
  if (r == kMovieNoError) {
    size_t nul = path.find('\0');
    if (nul != std::string::npos) path.resize(nul);
  }
  return Report(MovieOperation::MakeToolboxString, r);
}

MovieResult MovieServices::MakeFileSpec(int16_t volume, int32_t folder, const std::string& path,
                                        FileSpec& out) {
  out = {};
  MovieResult r = Ready();
  if (r == kMovieNoError) {
    if (volume != 0 || folder != 0 || path.empty()) {
      r = kMovieParamError;
    } else if (!FolderExists(path)) {
      r = kMovieFolderNotFound;
    } else {
      out.path = path;
      r = FileExists(path) != 0 ? kMovieNoError : kMovieFileNotFound;
    }
  }
  return Report(MovieOperation::MakeFileSpec, r);
}

MovieResult MovieServices::OpenMovieFile(const FileSpec& location, MovieFileNumber& out,
                                         int8_t permission) {
  out = 0;
  MovieResult r = Ready();
  OpenFile file;
  if (r == kMovieNoError) {
    if (permission != kReadPermission || location.path.empty()) {
      r = kMovieParamError;
    } else {
      r = ReadMovieFile(location.path, file.image);
    }
  }
  if (r == kMovieNoError && !MidiFileCheck::HeaderOffset(file.image)) r = kMovieNoMovieFound;
  if (r == kMovieNoError) {
    while (nextFile_ <= 0 || files_.count(nextFile_) != 0) ++nextFile_;
    out = nextFile_++;
    files_[out] = std::move(file);
  }
  return Report(MovieOperation::OpenMovieFile, r);
}

MovieResult MovieServices::NewMovieFromFile(MovieId& out, MovieFileNumber file,
                                            int16_t /*resourceId*/, int32_t flags) {
  out = 0;
  MovieResult r = Ready();
  auto it = files_.end();
  if (r == kMovieNoError) {
    it = files_.find(file);
    if (it == files_.end()) r = kMovieBadFileNumber;
  }
  if (r == kMovieNoError) {
    std::span<const uint8_t> image(it->second.image);
    std::optional<size_t> offset = MidiFileCheck::HeaderOffset(image);
    if (!offset || !MidiFileCheck::Playable(image.subspan(*offset))) {
      r = kMovieInvalidMovie;
    } else {
      Movie movie;
      movie.midi.assign(image.begin() + static_cast<std::ptrdiff_t>(*offset), image.end());
      movie.active = (flags & kNewMovieActive) != 0;
      while (nextMovie_ <= 0 || movies_.count(nextMovie_) != 0) ++nextMovie_;
      out = nextMovie_++;
      movies_[out] = std::move(movie);
    }
  }
  return Report(MovieOperation::NewMovieFromFile, r);
}

MovieResult MovieServices::CloseMovieFile(MovieFileNumber file) {
  MovieResult r = Ready();
  if (r == kMovieNoError && files_.erase(file) == 0) r = kMovieBadFileNumber;
  return Report(MovieOperation::CloseMovieFile, r);
}

MovieResult MovieServices::SetMovieProgressProc(MovieId movie, MovieProgressProc proc,
                                                long refCon) {
  MovieResult r = Ready();
  if (r == kMovieNoError) {
    auto it = movies_.find(movie);
    if (it == movies_.end()) {
      r = kMovieInvalidMovie;
    } else {
      it->second.progress = std::move(proc);
      it->second.refCon = refCon;
    }
  }
  return Report(MovieOperation::SetMovieProgressProc, r);
}

MovieResult MovieServices::ConvertMovieToFile(MovieId movie, const FileSpec& location,
                                              uint32_t fileType, uint32_t /*creator*/,
                                              int16_t /*scriptTag*/, int16_t /*resourceId*/,
                                              int32_t /*flags*/) {
  MovieResult r = Ready();
  auto it = movies_.end();
  if (r == kMovieNoError) {
    it = movies_.find(movie);
    if (it == movies_.end()) {
      r = kMovieInvalidMovie;
    } else if (fileType != kFileTypeAiff) {
      r = kMovieNoExporter;
    } else if (location.path.empty()) {
      r = kMovieParamError;
    }
  }
  if (r != kMovieNoError) return Report(MovieOperation::ConvertMovieToFile, r);

  const Movie& m = it->second;
  SynthComponent::Progress progress;
  if (m.progress) {
    progress = [&m, movie](SynthComponent::Phase phase, double fraction) {
      ProgressMessage message = phase == SynthComponent::Phase::Open     ? ProgressMessage::Open
                                : phase == SynthComponent::Phase::Update ? ProgressMessage::Update
                                                                         : ProgressMessage::Close;
      return m.progress(movie, message, fraction, m.refCon) == kMovieNoError;
    };
  }
  SynthComponent::RenderResult rendered;
  {
    std::lock_guard lock(g_renderMutex);
    rendered = g_synth->RenderToAiff(m.midi, location.path, progress);
  }
  switch (rendered) {
    case SynthComponent::RenderResult::Done:
      r = kMovieNoError;
      break;
    case SynthComponent::RenderResult::Cancelled:
      r = kMovieUserCanceled;
      break;
    case SynthComponent::RenderResult::WriteFailed:
      r = kMovieIoError;
      break;
    case SynthComponent::RenderResult::TooLong:
      r = kMovieWriteFailed;
      break;
    case SynthComponent::RenderResult::SynthesizerFailed:
      r = kMovieInvalidMovie;
      break;
  }
  return Report(MovieOperation::ConvertMovieToFile, r);
}

MovieResult MovieServices::DisposeMovie(MovieId movie) {
  MovieResult r = initCount_ == 0 ? kMovieComponentMissing : kMovieNoError;
  if (r == kMovieNoError && movies_.erase(movie) == 0) r = kMovieInvalidMovie;
  return Report(MovieOperation::DisposeMovie, r);
}

MovieResult MovieServices::ExitMovies() {
  if (initCount_ == 0) return Report(MovieOperation::ExitMovies, kMovieComponentMissing);
  entered_ = false;
  return Report(MovieOperation::ExitMovies, kMovieNoError);
}

MovieResult MovieServices::Terminate() {
  std::lock_guard lock(g_initTermMutex);
  if (initCount_ == 0) return Report(MovieOperation::Terminate, kMovieComponentMissing);
  --initCount_;
  if (--g_initCount == 0) {
    std::lock_guard renderLock(g_renderMutex);
    g_synth.reset();
  }
  if (initCount_ == 0) {
    entered_ = false;
    movies_.clear();
    files_.clear();
  }
  return Report(MovieOperation::Terminate, kMovieNoError);
}

std::vector<std::string> MovieServices::SoundFontsTried() {
  std::lock_guard lock(g_initTermMutex);
  return g_tried;
}

std::string MovieServices::SoundFontInUse() {
  std::lock_guard lock(g_initTermMutex);
  return g_synth ? g_synth->SoundFontPath() : std::string();
}

int MovieServices::InitializeCount() {
  std::lock_guard lock(g_initTermMutex);
  return g_initCount;
}

}  // namespace crx::renderer
