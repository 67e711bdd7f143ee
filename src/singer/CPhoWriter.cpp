#include "singer/CPhoWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace crx {
namespace {

constexpr double kMillisecondsPerSecond = 1000;
// Lengths are written in tenths of a millisecond.
constexpr double kTenthsPerSecond = 10000;
constexpr int kLengthDecimals = 1;
constexpr int kPositionDecimals = 1;
constexpr int kPitchDecimals = 2;
constexpr size_t kMaxSymbolBytes = 16;
// The comment character and the flush command of the phoneme file.
constexpr char kComment = ';';
constexpr char kFlush = '#';

void Append(std::string& out, double value, int decimals) {
  std::array<char, 64> buffer{};
  const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                               std::chars_format::fixed, decimals);
  out.append(buffer.data(), r.ptr);
}

std::string Line(const PhoPhone& phone, double milliseconds, size_t stride) {
  std::string line = phone.symbol;
  line += ' ';
  Append(line, milliseconds, kLengthDecimals);
  const size_t count = phone.points.size();
  for (size_t i = 0; i < count; ++i) {
    // Thinned points keep the first and the last.
    if (i % stride != 0 && i + 1 != count) continue;
    const auto [position, hz] = phone.points[i];
    const double p = std::isfinite(position) ? std::clamp(position, 0.0, 100.0) : 0.0;
    const double f = std::isfinite(hz)
                         ? std::clamp(hz, CPhoWriter::kLowestHz, CPhoWriter::kHighestHz)
                         : CPhoWriter::kLowestHz;
    line += ' ';
    Append(line, p, kPositionDecimals);
    line += ' ';
    Append(line, f, kPitchDecimals);
  }
  line += '\n';
  return line;
}

}  // namespace

bool CPhoWriter::IsWritableSymbol(const std::string& symbol) {
  if (symbol.empty() || symbol.size() > kMaxSymbolBytes) return false;
  if (symbol[0] == kFlush) return false;
  return std::all_of(symbol.begin(), symbol.end(),
                     [](char c) { return c > ' ' && c < 0x7F && c != kComment; });
}

bool CPhoWriter::Write(std::span<const PhoPhone> phones, std::string& text, std::string& error) {
  text.clear();
  double total = 0;
  long long writtenTenths = 0;
  for (const PhoPhone& phone : phones) {
    if (!IsWritableSymbol(phone.symbol)) {
      error = "the phone \"" + phone.symbol + "\" cannot be written";
      return false;
    }
    if (!std::isfinite(phone.seconds)) {
      error = "the phone " + phone.symbol + " has no length";
      return false;
    }
    total += phone.seconds;
    const long long tenths = std::llround(total * kTenthsPerSecond);
    const double milliseconds =
        static_cast<double>(tenths - writtenTenths) * kMillisecondsPerSecond / kTenthsPerSecond;
    if (milliseconds < kShortestPhoneSeconds * kMillisecondsPerSecond) {
      error = "the phone " + phone.symbol + " lasts " + std::to_string(milliseconds) +
              " ms, shorter than the synthesizer keeps";
      return false;
    }
    writtenTenths = tenths;
    std::string line;
    for (size_t stride = 1;; stride *= 2) {
      line = Line(phone, milliseconds, stride);
      if (line.size() <= kMaxLineBytes || stride >= phone.points.size()) break;
    }
    text += line;
  }
  return true;
}

}  // namespace crx
