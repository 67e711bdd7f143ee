// Feeds arbitrary bytes to the AIFF reader and converts what it finds.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/CAiffData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    crx::CAiffData aiff(std::vector<uint8_t>(data, data + size));
    if (const crx::CSoundDataChunk* s = aiff.Form().SoundData()) {
      volatile uint8_t sink = 0;
      for (uint8_t b : s->Samples()) sink = sink ^ b;
    }
  }
  // The whole conversion, from a file in memory to nowhere.
  const int fd = memfd_create("fuzz_aiff", 0);
  if (fd < 0) return 0;
  size_t done = 0;
  while (done < size) {
    ssize_t w = write(fd, data + done, size - done);
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
  crx::ConvertAiffToWav("/proc/self/fd/" + std::to_string(fd), "/dev/null");
  close(fd);
  return 0;
}
