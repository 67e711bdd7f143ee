// Feeds arbitrary bytes to the WAV reader, with and without expectations, and
// runs the silence trimming on whatever data it yields; then reads them as an
// input of the mix, block by block, with volume, reverb and a lead-in.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/CWaveFile.h"
#include "audio/MixInput.h"
#include "audio/SampleSteps.h"

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

  // The first byte picks the reverb, the volume and the block length.
  const uint8_t pick = size > 0 ? data[0] : 0;
  crx::MixInput input((pick & 7) * 0.4, pick % 33, pick & 64 ? 5 : 0);
  if (input.Open(file.path)) {
    std::vector<int16_t> block(2 * (1 + (pick >> 3)));
    for (uint64_t got = 0; got < input.Samples();) {
      const int64_t n = input.Next(block);
      if (n <= 0) break;
      got += static_cast<uint64_t>(n);
    }
    input.Close();
  }
  return 0;
}
