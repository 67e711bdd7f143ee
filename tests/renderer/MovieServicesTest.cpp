#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/CAiffData.h"
#include "foundation/FileHelpers.h"
#include "platform/ScriptedHost.h"
#include "renderer/AiffFileWriter.h"
#include "renderer/MovieServices.h"
#include "renderer/SynthComponent.h"
#include "support/platform/TempFolder.h"
#include "support/renderer/RenderProbe.h"
#include "support/renderer/SmfBuilder.h"

namespace crx::renderer {
namespace {

using test::SmfBuilder;
using test::TempFolder;

std::vector<uint8_t> OneNoteSong(uint32_t lengthTicks = 960) {
  SmfBuilder b;
  int t = b.AddTrack();
  b.Tempo(t, 0, 500000).Program(t, 0, 0, 0).Note(t, 0, 0, 60, 100, lengthTicks);
  return b.Format0();
}

class MovieServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FileExists(test::kTestSoundFont) == 0) GTEST_SKIP() << "timgm6mb-soundfont is missing";
  }
  std::string WriteSong(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = dir.File(name);
    SmfBuilder::WriteFile(path, bytes);
    return path;
  }
  // Initialised, entered, and the song opened as a movie.
  MovieId OpenSong(MovieServices& ms, const std::string& path) {
    EXPECT_EQ(ms.Initialize(0), kMovieNoError);
    EXPECT_EQ(ms.EnterMovies(), kMovieNoError);
    FileSpec location;
    EXPECT_EQ(ms.MakeFileSpec(0, 0, path, location), kMovieNoError);
    MovieFileNumber file = 0;
    EXPECT_EQ(ms.OpenMovieFile(location, file, kReadPermission), kMovieNoError);
    MovieId movie = 0;
    EXPECT_EQ(ms.NewMovieFromFile(movie, file, 0, kNewMovieActive), kMovieNoError);
    EXPECT_EQ(ms.CloseMovieFile(file), kMovieNoError);
    return movie;
  }

  TempFolder dir;
  test::ScopedSoundFont soundFont{test::kTestSoundFont};
};

TEST_F(MovieServicesTest, TheRenderersSequenceAnswersZeroAndWritesTheAiffCAiffDataReads) {
  MovieServices ms;
  std::vector<MovieOperation> calls;
  ms.SetObserver([&](MovieOperation op, MovieResult) { calls.push_back(op); });
  MovieId movie = OpenSong(ms, WriteSong("a.mid", OneNoteSong()));
  FileSpec out;
  EXPECT_EQ(ms.MakeFileSpec(0, 0, dir.File("a.aiff"), out), kMovieFileNotFound);
  EXPECT_EQ(out.path, dir.File("a.aiff"));  // made for the file still to come
  std::vector<ProgressMessage> messages;
  std::vector<double> fractions;
  EXPECT_EQ(ms.SetMovieProgressProc(
                movie,
                [&](MovieId m, ProgressMessage msg, double f, long refCon) {
                  EXPECT_EQ(m, movie);
                  EXPECT_EQ(refCon, 7);
                  messages.push_back(msg);
                  fractions.push_back(f);
                  return kMovieNoError;
                },
                7),
            kMovieNoError);
  EXPECT_EQ(ms.ConvertMovieToFile(movie, out, kFileTypeAiff, kCreatorTvod, kSystemScript, 0, 0),
            kMovieNoError);
  EXPECT_EQ(ms.DisposeMovie(movie), kMovieNoError);
  EXPECT_EQ(ms.ExitMovies(), kMovieNoError);
  EXPECT_EQ(ms.Terminate(), kMovieNoError);
  EXPECT_EQ(calls, (std::vector<MovieOperation>{
                       MovieOperation::Initialize, MovieOperation::EnterMovies,
                       MovieOperation::MakeFileSpec, MovieOperation::OpenMovieFile,
                       MovieOperation::NewMovieFromFile, MovieOperation::CloseMovieFile,
                       MovieOperation::MakeFileSpec, MovieOperation::SetMovieProgressProc,
                       MovieOperation::ConvertMovieToFile, MovieOperation::DisposeMovie,
                       MovieOperation::ExitMovies, MovieOperation::Terminate}));

  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ(messages.front(), ProgressMessage::Open);
  EXPECT_EQ(messages.back(), ProgressMessage::Close);
  EXPECT_EQ(fractions.back(), 1.0);
  for (size_t i = 1; i < fractions.size(); ++i) EXPECT_GE(fractions[i], fractions[i - 1]);

  const std::string bytes = test::ReadFileBytes(dir.File("a.aiff"));
  ASSERT_GT(bytes.size(), 54u);
  EXPECT_EQ(bytes.substr(0, 4), "FORM");
  EXPECT_EQ(bytes.substr(8, 8), "AIFFCOMM");
  EXPECT_EQ(bytes.substr(16, 4), std::string("\0\0\0\x12", 4));
  EXPECT_EQ(bytes.substr(28, 10), std::string("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10));
  EXPECT_EQ(bytes.substr(38, 4), "SSND");

  ScriptedHost host;
  ScopedUi scope(host);
  CAiffData aiff(dir.File("a.aiff"));
  ASSERT_NE(aiff.Form().Common(), nullptr);
  ASSERT_NE(aiff.Form().SoundData(), nullptr);
  EXPECT_EQ(aiff.Form().Common()->Channels(), 2);
  EXPECT_EQ(aiff.Form().Common()->SampleSize(), 16);
  EXPECT_EQ(aiff.Form().Common()->SampleRate(), 44100);
  EXPECT_EQ(aiff.Form().Common()->SampleFrames() * 4u, aiff.Form().SoundData()->Samples().size());
  EXPECT_TRUE(host.Messages().empty());
  // One second of note: a little more than a second of sound, its release included.
  double seconds = aiff.Form().SoundData()->Samples().size() / 4.0 / 44100;
  EXPECT_GT(seconds, 1.0);
  EXPECT_LT(seconds, 1.0 + SynthComponent::kMaxReleaseTailSeconds + 0.2);

  const std::string f = "'" + dir.File("a.aiff") + "'";
  test::CommandOutput sox =
      test::RunShell("sox --i -r " + f + " && sox --i -c " + f + " && sox --i -b " + f);
  if (sox.status == 0) {
    EXPECT_EQ(sox.text, "44100\n2\n16\n");
  }
}

TEST_F(MovieServicesTest, InitialisationIsCountedAndTheLastTerminationFreesTheSynthesizer) {
  ASSERT_EQ(MovieServices::InitializeCount(), 0);
  MovieServices a, b;
  EXPECT_EQ(a.Initialize(0), kMovieNoError);
  EXPECT_EQ(b.Initialize(0), kMovieNoError);
  EXPECT_EQ(a.Initialize(0), kMovieNoError);
  EXPECT_EQ(MovieServices::InitializeCount(), 3);
  EXPECT_EQ(MovieServices::SoundFontInUse(), test::kTestSoundFont);
  EXPECT_EQ(a.Terminate(), kMovieNoError);
  EXPECT_EQ(b.Terminate(), kMovieNoError);
  EXPECT_EQ(MovieServices::SoundFontInUse(), test::kTestSoundFont);
  EXPECT_EQ(a.Terminate(), kMovieNoError);
  EXPECT_EQ(MovieServices::InitializeCount(), 0);
  EXPECT_EQ(MovieServices::SoundFontInUse(), "");
  EXPECT_EQ(a.Terminate(), kMovieComponentMissing);
  {
    MovieServices c;  // a destroyed object gives its share back
    c.Initialize(0);
    c.EnterMovies();
  }
  EXPECT_EQ(MovieServices::InitializeCount(), 0);
}

TEST_F(MovieServicesTest, WithoutASoundFontInitialiseAnswersCannotLoadAndEveryOperationMissing) {
  test::ScopedSoundFont none(nullptr);
  SynthComponent::OverrideSoundFontFolder(dir.File("nothing-here"));
  MovieServices ms;
  EXPECT_EQ(ms.Initialize(0), kMovieComponentCannotLoad);
  SynthComponent::OverrideSoundFontFolder("");
  EXPECT_EQ(MovieServices::SoundFontsTried(),
            (std::vector<std::string>{dir.File("nothing-here/default-GM.sf2"),
                                      dir.File("nothing-here/FluidR3_GM.sf2"),
                                      dir.File("nothing-here/TimGM6mb.sf2")}));
  std::string path = WriteSong("a.mid", OneNoteSong());
  FileSpec location;
  MovieFileNumber file = 0;
  MovieId movie = 0;
  EXPECT_EQ(ms.EnterMovies(), kMovieComponentMissing);
  EXPECT_EQ(ms.MakeToolboxString(path), kMovieComponentMissing);
  EXPECT_EQ(ms.MakeFileSpec(0, 0, path, location), kMovieComponentMissing);
  EXPECT_EQ(ms.OpenMovieFile({path}, file, kReadPermission), kMovieComponentMissing);
  EXPECT_EQ(ms.NewMovieFromFile(movie, 1, 0, kNewMovieActive), kMovieComponentMissing);
  EXPECT_EQ(ms.CloseMovieFile(1), kMovieComponentMissing);
  EXPECT_EQ(ms.SetMovieProgressProc(1, nullptr, 0), kMovieComponentMissing);
  EXPECT_EQ(ms.ConvertMovieToFile(1, {dir.File("a.aiff")}, kFileTypeAiff, kCreatorTvod,
                                  kSystemScript, 0, 0),
            kMovieComponentMissing);
  EXPECT_EQ(ms.DisposeMovie(1), kMovieComponentMissing);
  EXPECT_EQ(ms.ExitMovies(), kMovieComponentMissing);
  EXPECT_EQ(ms.Terminate(), kMovieComponentMissing);
  EXPECT_EQ(MovieServices::InitializeCount(), 0);

  // A SoundFont that does not load counts as none.
  test::WriteFileBytes(dir.File("broken.sf2"), "no SoundFont at all");
  test::ScopedSoundFont broken(dir.File("broken.sf2").c_str());
  SynthComponent::OverrideSoundFontFolder(dir.Path());
  EXPECT_EQ(ms.Initialize(0), kMovieComponentCannotLoad);
  SynthComponent::OverrideSoundFontFolder("");
  EXPECT_EQ(MovieServices::SoundFontsTried().front(), dir.File("broken.sf2"));
}

TEST_F(MovieServicesTest, OperationsBeforeEnteringAndOnUnknownHandlesFail) {
  MovieServices ms;
  ASSERT_EQ(ms.Initialize(0), kMovieNoError);
  FileSpec location;
  EXPECT_EQ(ms.MakeFileSpec(0, 0, "/tmp", location), kMovieNotEntered);
  ASSERT_EQ(ms.EnterMovies(), kMovieNoError);
  EXPECT_EQ(ms.MakeFileSpec(0, 0, "", location), kMovieParamError);
  EXPECT_EQ(ms.MakeFileSpec(0, 0, dir.File("no/such/folder.mid"), location), kMovieFolderNotFound);
  MovieFileNumber file = 0;
  EXPECT_EQ(ms.OpenMovieFile({dir.File("missing.mid")}, file, kReadPermission), kMovieFileNotFound);
  EXPECT_EQ(ms.OpenMovieFile({WriteSong("a.mid", OneNoteSong())}, file, 2), kMovieParamError);
  EXPECT_EQ(file, 0);
  MovieId movie = 0;
  EXPECT_EQ(ms.NewMovieFromFile(movie, 42, 0, kNewMovieActive), kMovieBadFileNumber);
  EXPECT_EQ(ms.CloseMovieFile(42), kMovieBadFileNumber);
  EXPECT_EQ(ms.SetMovieProgressProc(9, nullptr, 0), kMovieInvalidMovie);
  EXPECT_EQ(ms.ConvertMovieToFile(9, {dir.File("x.aiff")}, kFileTypeAiff, kCreatorTvod,
                                  kSystemScript, 0, 0),
            kMovieInvalidMovie);
  EXPECT_EQ(ms.DisposeMovie(9), kMovieInvalidMovie);
  std::string nul = std::string("/tmp/a.mid\0junk", 15);
  EXPECT_EQ(ms.MakeToolboxString(nul), kMovieNoError);
  EXPECT_EQ(nul, "/tmp/a.mid");
}

TEST_F(MovieServicesTest, AFileThatIsNoMidiFileFailsTheOpenAndABrokenOneTheMovie) {
  MovieServices ms;
  ASSERT_EQ(ms.Initialize(0), kMovieNoError);
  ASSERT_EQ(ms.EnterMovies(), kMovieNoError);
  MovieFileNumber file = 0;
  test::WriteFileBytes(dir.File("text.mid"), "just some text");
  EXPECT_EQ(ms.OpenMovieFile({dir.File("text.mid")}, file, kReadPermission), kMovieNoMovieFound);
  EXPECT_EQ(ms.OpenMovieFile({dir.Path()}, file, kReadPermission), kMovieNoMovieFound);

  std::vector<uint8_t> song = OneNoteSong();
  std::vector<uint8_t> cut(song.begin(), song.end() - 6);  // the track runs past the file
  std::vector<uint8_t> smpte = song;
  smpte[12] = 0xE7;  // SMPTE division
  for (const auto& bad : {cut, smpte}) {
    ASSERT_EQ(ms.OpenMovieFile({WriteSong("bad.mid", bad)}, file, kReadPermission), kMovieNoError);
    MovieId movie = 0;
    EXPECT_EQ(ms.NewMovieFromFile(movie, file, 0, kNewMovieActive), kMovieInvalidMovie);
    EXPECT_EQ(movie, 0);
    EXPECT_EQ(ms.CloseMovieFile(file), kMovieNoError);
  }

  // A Mac binary header in front of the file is passed over.
  std::vector<uint8_t> mac(128, 0);
  mac.insert(mac.end(), song.begin(), song.end());
  ASSERT_EQ(ms.OpenMovieFile({WriteSong("mac.mid", mac)}, file, kReadPermission), kMovieNoError);
  MovieId movie = 0;
  EXPECT_EQ(ms.NewMovieFromFile(movie, file, 0, kNewMovieActive), kMovieNoError);
  EXPECT_NE(movie, 0);
}

TEST_F(MovieServicesTest, OnlyAiffIsExportedAndACallbackThatAnswersNonZeroStopsTheExport) {
  MovieServices ms;
  MovieId movie = OpenSong(ms, WriteSong("a.mid", OneNoteSong(480 * 8)));
  const std::string aiff = dir.File("a.aiff");
  EXPECT_EQ(
      ms.ConvertMovieToFile(movie, {aiff}, FourCharCode("WAVE"), kCreatorTvod, kSystemScript, 0, 0),
      kMovieNoExporter);
  EXPECT_EQ(FileExists(aiff), 0);
  int calls = 0;
  ms.SetMovieProgressProc(
      movie,
      [&](MovieId, ProgressMessage, double, long) {
        return ++calls == 2 ? MovieResult{-1} : kMovieNoError;
      },
      0);
  EXPECT_EQ(ms.ConvertMovieToFile(movie, {aiff}, kFileTypeAiff, kCreatorTvod, kSystemScript, 0, 0),
            kMovieUserCanceled);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(FileExists(aiff), 0);
  EXPECT_EQ(ms.ConvertMovieToFile(movie, {dir.File("no/folder/a.aiff")}, kFileTypeAiff,
                                  kCreatorTvod, kSystemScript, 0, 0),
            kMovieIoError);
}

TEST(AiffFileWriter, WritesTheExtendedRateAndSizesOfItsSamples) {
  uint8_t rate[10];
  AiffFileWriter::EncodeExtended(22050, rate);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(rate), 10),
            std::string("\x40\x0D\xAC\x44\0\0\0\0\0\0", 10));
  AiffFileWriter::EncodeExtended(32000, rate);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(rate), 4), std::string("\x40\x0D\xFA\x00", 4));

  TempFolder dir;
  AiffFileWriter w(2, 44100);
  ASSERT_TRUE(w.Open(dir.File("t.aiff")));
  const int16_t samples[] = {1, -2, 0x1234, -32768};
  ASSERT_TRUE(w.Append(samples));
  ASSERT_TRUE(w.Finish());
  std::string bytes = test::ReadFileBytes(dir.File("t.aiff"));
  ASSERT_EQ(bytes.size(), 54u + 8u);
  EXPECT_EQ(bytes.substr(4, 4), std::string("\0\0\0\x36", 4));   // 46 + 8
  EXPECT_EQ(bytes.substr(22, 4), std::string("\0\0\0\x02", 4));  // two frames
  EXPECT_EQ(bytes.substr(42, 4), std::string("\0\0\0\x10", 4));  // 8 + 8
  EXPECT_EQ(bytes.substr(54), std::string("\x00\x01\xFF\xFE\x12\x34\x80\x00", 8));
}

}  // namespace
}  // namespace crx::renderer
