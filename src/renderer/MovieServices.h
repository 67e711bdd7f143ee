#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace crx::renderer {

// Results of the movie services: 16-bit, 0 = success.
using MovieResult = int16_t;
inline constexpr MovieResult kMovieNoError = 0;
inline constexpr MovieResult kMovieWriteFailed = -34;  // the file cannot take the sound
inline constexpr MovieResult kMovieIoError = -36;
inline constexpr MovieResult kMovieFileNotFound = -43;
inline constexpr MovieResult kMovieParamError = -50;
inline constexpr MovieResult kMovieBadFileNumber = -51;
inline constexpr MovieResult kMovieFolderNotFound = -120;
inline constexpr MovieResult kMovieUserCanceled = -128;
inline constexpr MovieResult kMovieNoExporter = -2003;
inline constexpr MovieResult kMovieInvalidMovie = -2010;
inline constexpr MovieResult kMovieNotEntered = -2019;
inline constexpr MovieResult kMovieNoMovieFound = -2048;
// The synthesizer component is missing: it cannot be loaded (no SoundFont
// that loads), or its library cannot make a synthesizer; every operation
// then answers kMovieComponentMissing.
inline constexpr MovieResult kMovieComponentCannotLoad = -2093;
inline constexpr MovieResult kMovieComponentEntryMissing = -2094;
inline constexpr MovieResult kMovieComponentMissing = -2095;

// The operations, by their selector numbers, in the order the renderer
// calls them.
enum class MovieOperation : uint32_t {
  Initialize = 0x1D0008,
  EnterMovies = 0x20001,
  MakeToolboxString = 0x280017,
  MakeFileSpec = 0xF00E2,
  OpenMovieFile = 0x20192,
  NewMovieFromFile = 0x200F0,
  CloseMovieFile = 0x200D5,
  SetMovieProgressProc = 0x2019A,
  ConvertMovieToFile = 0x201CC,
  DisposeMovie = 0x20023,
  ExitMovies = 0x20002,
  Terminate = 0x1D0009,
};

constexpr uint32_t FourCharCode(const char (&code)[5]) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3]));
}
inline constexpr uint32_t kFileTypeAiff = FourCharCode("AIFF");
inline constexpr uint32_t kCreatorTvod = FourCharCode("TVOD");
inline constexpr int8_t kReadPermission = 1;
inline constexpr int32_t kNewMovieActive = 1;
inline constexpr int16_t kSystemScript = -1;

struct FileSpec {
  std::string path;
};
using MovieFileNumber = int16_t;
using MovieId = int32_t;  // 0 = no movie
enum class ProgressMessage { Open, Update, Close };
// Called during an export with the fraction done (0 to 1); an answer other
// than 0 stops the export.
using MovieProgressProc = std::function<MovieResult(MovieId movie, ProgressMessage message,
                                                    double fraction, long refCon)>;

// The movie services the renderer needs: a MIDI file opened as a movie and
// exported as an AIFF file through the music synthesizer. Initialising and
// terminating are counted per process and serialised by one mutex: the
// first initialisation loads the synthesizer, the last termination frees it.
class MovieServices {
 public:
  // Watches every operation and its result (tests, diagnostics).
  using Observer = std::function<void(MovieOperation operation, MovieResult result)>;

  MovieServices() = default;
  // Disposes of the movies still made, leaves and terminates as needed.
  ~MovieServices();
  MovieServices(const MovieServices&) = delete;
  MovieServices& operator=(const MovieServices&) = delete;

  MovieResult Initialize(int32_t flags);
  MovieResult EnterMovies();
  // Makes the path a toolbox string in place: the text up to a NUL.
  MovieResult MakeToolboxString(std::string& path);
  // Fills out with the file's location. Returns 0 for a file that exists,
  // kMovieFileNotFound for one still to be made (out is filled all the same).
  MovieResult MakeFileSpec(int16_t volume, int32_t folder, const std::string& path, FileSpec& out);
  // Opens a MIDI file for reading; a file that is no MIDI file fails.
  MovieResult OpenMovieFile(const FileSpec& location, MovieFileNumber& out, int8_t permission);
  MovieResult NewMovieFromFile(MovieId& out, MovieFileNumber file, int16_t resourceId,
                               int32_t flags);
  MovieResult CloseMovieFile(MovieFileNumber file);
  MovieResult SetMovieProgressProc(MovieId movie, MovieProgressProc proc, long refCon);
  // Renders the whole movie into an AIFF file at the given location.
  MovieResult ConvertMovieToFile(MovieId movie, const FileSpec& location, uint32_t fileType,
                                 uint32_t creator, int16_t scriptTag, int16_t resourceId,
                                 int32_t flags);
  MovieResult DisposeMovie(MovieId movie);
  MovieResult ExitMovies();
  MovieResult Terminate();

  void SetObserver(Observer observer) { observer_ = std::move(observer); }

  // The SoundFont locations looked at by the last loading of the
  // synthesizer, in order, and the SoundFont in use (empty when none).
  static std::vector<std::string> SoundFontsTried();
  static std::string SoundFontInUse();
  // How many initialisations are counted in this process.
  static int InitializeCount();

 private:
  struct OpenFile {
    std::vector<uint8_t> image;
  };
  struct Movie {
    std::vector<uint8_t> midi;  // from "MThd" on
    bool active = false;
    MovieProgressProc progress;
    long refCon = 0;
  };

  // kMovieNoError when the services may be used now.
  MovieResult Ready() const;
  MovieResult Report(MovieOperation operation, MovieResult result);

  int initCount_ = 0;  // this object's share of the process-wide count
  bool entered_ = false;
  std::map<MovieFileNumber, OpenFile> files_;
  std::map<MovieId, Movie> movies_;
  MovieFileNumber nextFile_ = 1;
  MovieId nextMovie_ = 1;
  Observer observer_;
};

}  // namespace crx::renderer
