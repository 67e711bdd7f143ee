#pragma once

#include <string>
#include <vector>

namespace crx::test {

// sox, the real peer for WAV and AIFF files.
bool SoxAvailable();
// Runs sox with the arguments; its exit status.
int RunSox(const std::vector<std::string>& args);
// What "sox --i -<key> path" prints (r rate, c channels, b bits, s samples),
// without the line end; empty when sox fails.
std::string SoxInfo(const std::string& path, char key);
// The file's samples as sox decodes them: 16-bit signed, native order.
std::vector<int16_t> SoxSamples16(const std::string& path);

}  // namespace crx::test
