#include "renderer/SampleSpool.h"

#include <algorithm>

namespace crx::renderer {

SampleSpool::SampleSpool(size_t memorySamples) : memoryLimit_(memorySamples) {}

SampleSpool::~SampleSpool() = default;

bool SampleSpool::Append(std::span<const float> samples) {
  while (!samples.empty() && inMemory_ < memoryLimit_) {
    if (chunks_.empty() || chunks_.back().size() == kChunkSamples) {
      chunks_.emplace_back();
      chunks_.back().reserve(kChunkSamples);
    }
    std::vector<float>& chunk = chunks_.back();
    const size_t room = std::min<uint64_t>(kChunkSamples - chunk.size(), memoryLimit_ - inMemory_);
    const size_t n = std::min(room, samples.size());
    chunk.insert(chunk.end(), samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(n));
    samples = samples.subspan(n);
    inMemory_ += n;
    size_ += n;
  }
  if (samples.empty()) return true;
  if (!file_) {
    file_.reset(std::tmpfile());
    if (!file_) return false;
  }
  if (std::fwrite(samples.data(), sizeof(float), samples.size(), file_.get()) != samples.size()) {
    return false;
  }
  size_ += samples.size();
  return true;
}

bool SampleSpool::Read(uint64_t first, std::span<float> out) {
  if (first > size_ || out.size() > size_ - first) return false;
  size_t done = 0;
  while (done < out.size() && first + done < inMemory_) {
    const uint64_t at = first + done;
    const std::vector<float>& chunk = chunks_[static_cast<size_t>(at / kChunkSamples)];
    const size_t offset = static_cast<size_t>(at % kChunkSamples);
    const size_t n = std::min(chunk.size() - offset, out.size() - done);
    std::copy_n(chunk.begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin() + done);
    done += n;
  }
  if (done == out.size()) return true;
  if (!file_ || std::fflush(file_.get()) != 0) return false;
  const uint64_t position = (first + done - inMemory_) * sizeof(float);
  if (fseeko(file_.get(), static_cast<off_t>(position), SEEK_SET) != 0) return false;
  const size_t rest = out.size() - done;
  return std::fread(out.data() + done, sizeof(float), rest, file_.get()) == rest;
}

}  // namespace crx::renderer
