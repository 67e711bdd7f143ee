// Feeds arbitrary bytes to the WAV reader, with and without expectations, and
// runs the silence trimming on whatever data it yields.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/SampleSteps.h"
#include "audio/WaveFile.h"

namespace {

// A file in memory that the reader opens by path.
struct MemoryFile {
  MemoryFile(const uint8_t* data, size_t size) : fd(memfd_create("fuzz_wav", 0)) {
    size_t done = 0;
    while (fd >= 0 && done < size) {
      ssize_t w = write(fd, data + done, size - done);
      if (w <= 0) break;
      done += static_cast<size_t>(w);
    }
    path = "/proc/self/fd/" + std::to_string(fd);
  }
  ~MemoryFile() {
    if (fd >= 0) close(fd);
  }
  int fd;
  std::string path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFile file(data, size);
  {
    crx::CWaveFile any;
    if (any.Open(crx::CWaveFile::kModeRead, file.path) == 0) {
      std::vector<uint8_t> samples = any.ReadData();
      crx::TrimSilence(samples);
    }
    any.Close();
  }
  crx::CWaveFile expected(2, 44100, 16);
  expected.Open(crx::CWaveFile::kModeRead, file.path);
  expected.Close();
  return 0;
}
