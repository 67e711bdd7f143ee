#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>

namespace crx::renderer {

// Holds a render's floating-point samples until they can be read back: in
// memory up to a limit, the rest in an unnamed temporary file. Written in
// order, read back at any position.
class SampleSpool {
 public:
  // 256 MiB of samples, about twelve minutes of stereo sound, stay in memory.
  static constexpr size_t kDefaultMemorySamples = size_t{64} << 20;
  static constexpr size_t kChunkSamples = size_t{1} << 20;

  explicit SampleSpool(size_t memorySamples = kDefaultMemorySamples);
  ~SampleSpool();
  SampleSpool(const SampleSpool&) = delete;
  SampleSpool& operator=(const SampleSpool&) = delete;

  // False when the temporary file cannot be made or written.
  bool Append(std::span<const float> samples);
  // Copies count samples from position first into out. False when they are
  // not all there or the file cannot be read.
  bool Read(uint64_t first, std::span<float> out);

  uint64_t Size() const { return size_; }
  bool Spilled() const { return file_ != nullptr; }

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };

  size_t memoryLimit_;
  std::vector<std::vector<float>> chunks_;
  uint64_t inMemory_ = 0;
  std::unique_ptr<std::FILE, FileCloser> file_;
  uint64_t size_ = 0;
};

}  // namespace crx::renderer
