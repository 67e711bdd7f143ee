#include "video/SyncedLyrics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "video/SongCredits.h"
#include "video/VideoText.h"

namespace crx {
namespace {

constexpr int64_t kMsPerCentisecond = 10;
constexpr int64_t kCentisecondsPerMinute = 6000;
constexpr int64_t kCentisecondsPerSecond = 100;
constexpr double kMsPerSecond = 1000.0;

// Header tags are one line each: a line break in a credit would end the tag.
std::string OneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return text;
}

}  // namespace

std::string SyncedLyrics::Line::Text() const {
  std::string out;
  for (const Syllable& s : syllables) out += s.text;
  return out;
}

SyncedLyrics SyncedLyrics::FromSheet(const LyricSheet& sheet) {
  SyncedLyrics out;
  for (const LyricSheet::Page& page : sheet.Pages()) {
    if (page.caption) continue;
    for (const LyricSheet::Line& line : page.lines) {
      Line timed;
      for (const LyricSheet::Syllable& s : line.syllables) {
        const auto ms = static_cast<int64_t>(std::llround(std::max(s.start, 0.0) * kMsPerSecond));
        timed.syllables.push_back({ms, s.text});
      }
      // The first syllable's spacing is no part of the line.
      if (!timed.syllables.empty()) {
        std::string& first = timed.syllables.front().text;
        first.erase(0, VideoText::LeadingBlanks(first));
      }
      if (!VideoText::TrimBlanks(timed.Text()).empty()) out.lines_.push_back(std::move(timed));
    }
  }
  return out;
}

std::string SyncedLyrics::PlainText() const {
  std::string out;
  for (const Line& line : lines_) {
    if (!out.empty()) out.push_back('\n');
    out += line.Text();
  }
  return out;
}

std::vector<SyncedLyrics::Entry> SyncedLyrics::Entries() const {
  std::vector<Entry> out;
  for (size_t l = 0; l < lines_.size(); ++l) {
    for (size_t s = 0; s < lines_[l].syllables.size(); ++s) {
      const Syllable& syllable = lines_[l].syllables[s];
      Entry e{static_cast<uint32_t>(std::clamp<int64_t>(syllable.ms, 0, UINT32_MAX)),
              syllable.text};
      if (l > 0 && s == 0) e.text.insert(0, "\n");
      out.push_back(std::move(e));
    }
  }
  return out;
}

std::string SyncedLyrics::LrcTime(int64_t ms) {
  // Rounded to the centisecond the tag can hold.
  const int64_t cs = (std::max<int64_t>(ms, 0) + kMsPerCentisecond / 2) / kMsPerCentisecond;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02lld:%02lld.%02lld",
                static_cast<long long>(cs / kCentisecondsPerMinute),
                static_cast<long long>(cs % kCentisecondsPerMinute / kCentisecondsPerSecond),
                static_cast<long long>(cs % kCentisecondsPerSecond));
  return buf;
}

std::string SyncedLyrics::EnhancedLrc(const SongCredits& credits) const {
  std::string out;
  const std::pair<const char*, const std::string*> tags[] = {
      {"ti", &credits.title}, {"ar", &credits.artist}, {"au", &credits.lyricist}};
  for (const auto& [tag, value] : tags) {
    if (!value->empty()) out += std::string("[") + tag + ":" + OneLine(*value) + "]\n";
  }
  for (const Line& line : lines_) {
    out += "[" + LrcTime(line.syllables.front().ms) + "]";
    for (const Syllable& s : line.syllables) out += "<" + LrcTime(s.ms) + ">" + s.text;
    out += "\n";
  }
  return out;
}

}  // namespace crx
