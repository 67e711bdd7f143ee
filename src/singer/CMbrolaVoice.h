#pragma once

#include <optional>
#include <string>
#include <vector>

#include "singer/CDiphoneTable.h"

namespace crx {

// The diphone synthesizer program with one of its Japanese voices, run once
// per phrase: the phoneme file written to a temporary folder of our own, the
// program started with an argument vector, its exit status and standard
// error read, its 16-bit output read back and removed. The voice database
// is only ever named to the program, never read here.
class CMbrolaVoice {
 public:
  static constexpr int kSampleRate = 22050;
  static constexpr const char* kProgram = "mbrola";
  // The largest output a phrase may make (an hour at the voice's rate).
  static constexpr size_t kMaxSamples = size_t{3600} * kSampleRate;

  // The program on the PATH; empty when it is not installed.
  static std::string FindProgram();
  // The voice's database as the Debian packages install it; empty when absent.
  static std::string FindDatabase(DiphoneVoice voice);
  // The name of the voice's database ("jp2") and its Debian package.
  static std::string DatabaseName(DiphoneVoice voice);

  explicit CMbrolaVoice(DiphoneVoice voice);
  ~CMbrolaVoice();
  CMbrolaVoice(const CMbrolaVoice&) = delete;
  CMbrolaVoice& operator=(const CMbrolaVoice&) = delete;

  // The program and the database were found and the temporary folder made.
  bool Ready() const { return ready_; }
  const std::string& Error() const { return error_; }

  struct Rendered {
    std::vector<float> samples;  // mono at kSampleRate, in [-1, 1]
    // Diphones the program did not know ("X-Y") and said as silence.
    std::vector<std::string> unknown;
  };
  // Runs the program on one phoneme file. False with Error() when it failed
  // or made no sound; a phrase that clipped is sung again more softly.
  bool Render(const std::string& pho, Rendered& out);

 private:
  bool RunOnce(const std::string& pho, double volume, Rendered& out, bool& saturated);

  DiphoneVoice voice_;
  std::string program_;
  std::string database_;
  std::string folder_;
  bool ready_ = false;
  std::string error_;
};

}  // namespace crx
