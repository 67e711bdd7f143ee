#include "video/SubtitleScript.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "video/VideoText.h"

namespace crx {
namespace {

// Layout, as shares of the frame.
constexpr double kLyricSizeShare = 0.09;  // of the height
constexpr double kTitleSizeShare = 0.10;
constexpr double kCreditSizeShare = 0.06;
constexpr double kMarginShare = 0.05;      // of the width, left and right
constexpr double kFirstLineShare = 0.76;   // baseline of a page's first line
constexpr double kSecondLineShare = 0.90;  // and of its second
constexpr double kTitleShare = 0.40;       // centre of the title
constexpr double kCreditShares[] = {0.58, 0.68, 0.78};
constexpr double kCountInDotScale = 0.45;  // dot size to its line's size
constexpr double kCountInDotPitch = 1.2;   // dot centres apart, in dot sizes
constexpr double kCountInDotRise = 1.6;    // dot bottoms over the baseline, in line sizes
constexpr double kOutlineDivisor = 160;    // outline width = height / 160
// The font's em over its font size: the renderer sizes a font by its
// ascent and descent (IPAGothic: 2048 units per em, 1802 + 401 units).
constexpr double kEmShare = 2048.0 / 2203.0;
constexpr double kRubyScale = 0.5;      // ruby size to its line's size
constexpr int kRubyOutlineDivisor = 2;  // and its outline to the line's
constexpr double kCaptionShare = (kFirstLineShare + kSecondLineShare) / 2;  // centre of a caption
constexpr int kMinFontSize = 8;
constexpr double kMaxSeconds = 360000;  // no script runs past 100 hours

// Colours as &HAABBGGRR: sung text red, text still to sing dark blue, both
// outlined in white so that they read on any background.
constexpr std::string_view kSungColour = "&H003C14E0";
constexpr std::string_view kUnsungColour = "&H00963C1E";
constexpr std::string_view kOutlineColour = "&H00FFFFFF";
constexpr std::string_view kBackColour = "&H80000000";

// Shown after a backslash so that it never starts a tag (\n, \N, \h):
// WORD JOINER, which has no width.
constexpr std::string_view kWordJoiner = "\u2060";

constexpr std::string_view kComposerLabel = "作曲 ";
constexpr std::string_view kLyricistLabel = "作詞 ";
constexpr std::string_view kArtistLabel = "歌 ";

int Share(double share, int of) { return static_cast<int>(std::lround(share * of)); }

}  // namespace

SubtitleScript::SubtitleScript(int width, int height, double durationSeconds)
    : width_(width), height_(height), duration_(Centiseconds(durationSeconds)) {}

int64_t SubtitleScript::Centiseconds(double seconds) {
  if (!std::isfinite(seconds)) return 0;
  seconds = std::clamp(seconds, -kMaxSeconds, kMaxSeconds);
  return std::llround(seconds * 100);
}

int64_t SubtitleScript::Clamp(int64_t cs) const { return std::clamp<int64_t>(cs, 0, duration_); }

std::string SubtitleScript::Timestamp(int64_t cs) {
  cs = std::max<int64_t>(cs, 0);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld.%02lld", static_cast<long long>(cs / 360000),
                static_cast<long long>(cs / 6000 % 60), static_cast<long long>(cs / 100 % 60),
                static_cast<long long>(cs % 100));
  return buf;
}

std::string SubtitleScript::EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) continue;
    if (c == '{' || c == '}') {
      out.push_back('\\');
      out.push_back(c);
    } else if (c == '\\') {
      out.push_back('\\');
      out.append(kWordJoiner);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

int SubtitleScript::FittedSize(double ems, int size) const {
  const double room = width_ - 2.0 * Share(kMarginShare, width_);
  if (ems * size * kEmShare > room) size = static_cast<int>(room / (ems * kEmShare));
  return std::max(size, kMinFontSize);
}

double SubtitleScript::LineRoomEms() const {
  return (width_ - 2.0 * Share(kMarginShare, width_)) /
         (Share(kLyricSizeShare, height_) * kEmShare);
}

int SubtitleScript::Outline() const {
  return std::max(1, static_cast<int>(std::lround(height_ / kOutlineDivisor)));
}

std::string SubtitleScript::Header() const {
  const int outline = Outline();
  auto style = [&](std::string_view name, int size, std::string_view primary,
                   std::string_view secondary, int alignment) {
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "Style: %.*s,%.*s,%d,%.*s,%.*s,%.*s,%.*s,0,0,0,0,100,100,0,0,1,%d,0,%d,0,0,0,1\n",
                  static_cast<int>(name.size()), name.data(), static_cast<int>(kFontName.size()),
                  kFontName.data(), size, static_cast<int>(primary.size()), primary.data(),
                  static_cast<int>(secondary.size()), secondary.data(),
                  static_cast<int>(kOutlineColour.size()), kOutlineColour.data(),
                  static_cast<int>(kBackColour.size()), kBackColour.data(), outline, alignment);
    return std::string(buf);
  };
  std::string h =
      "[Script Info]\n"
      "ScriptType: v4.00+\n"
      "PlayResX: " +
      std::to_string(width_) + "\nPlayResY: " + std::to_string(height_) +
      "\n"
      "WrapStyle: 2\n"
      "ScaledBorderAndShadow: yes\n"
      "\n"
      "[V4+ Styles]\n"
      "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
      "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
      "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n";
  h += style("Lyric", Share(kLyricSizeShare, height_), kSungColour, kUnsungColour, 1);
  h += style("Title", Share(kTitleSizeShare, height_), kUnsungColour, kUnsungColour, 5);
  h += "\n"
       "[Events]\n"
       "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";
  return h;
}

std::vector<SubtitleScript::CountIn> SubtitleScript::CountIns(const LyricSheet& sheet) {
  std::vector<CountIn> out;
  double previous = 0;  // the syllable before: the video's start for the first
  const auto& pages = sheet.Pages();
  for (size_t p = 0; p < pages.size(); ++p) {
    if (pages[p].caption) continue;
    for (size_t l = 0; l < pages[p].lines.size(); ++l) {
      const LyricSheet::Line& line = pages[p].lines[l];
      if (line.syllables.empty()) continue;
      const double first = line.syllables.front().start;
      const double count = kCountInBeats * line.beatSeconds;
      // The count needs its beats and one more clear of the syllable before.
      if (first - previous >= kCountInGapSeconds && first - previous >= count + line.beatSeconds &&
          first - count >= 0) {
        out.push_back({p, l, first - count, line.beatSeconds});
      }
      previous = line.syllables.back().start;
    }
  }
  return out;
}

std::vector<SubtitleScript::Span> SubtitleScript::PageSpans(const LyricSheet& sheet) const {
  const auto& pages = sheet.Pages();
  std::vector<Span> spans(pages.size());
  // A page whose first line is counted in shows a beat before the count.
  std::vector<double> lead(pages.size(), kPageLeadSeconds);
  for (const CountIn& c : CountIns(sheet)) {
    if (c.line == 0) lead[c.page] = std::max(lead[c.page], (kCountInBeats + 1) * c.beat);
  }
  int64_t earliest = 0;  // no page shows before the one before it has gone
  for (size_t i = 0; i < pages.size(); ++i) {
    int64_t start = Centiseconds(pages[i].FirstStart() - lead[i]);
    if (i > 0) start = std::max(start, Centiseconds(pages[i - 1].LastStart()));
    start = std::min(start, Centiseconds(pages[i].FirstStart()));
    start = Clamp(std::max(start, earliest));
    spans[i].start = start;
    earliest = start;
  }
  for (size_t i = 0; i < pages.size(); ++i) {
    const int64_t end = i + 1 < pages.size()
                            ? spans[i + 1].start
                            : Centiseconds(pages[i].LastEnd() + kLastPageHoldSeconds);
    spans[i].end = Clamp(std::max(end, spans[i].start));
  }
  return spans;
}

std::string SubtitleScript::CardEvents(const TitleCard& card, int64_t end) const {
  std::string out;
  if (card.Empty() || end <= 0) return out;
  const std::string span = "Dialogue: 0," + Timestamp(0) + "," + Timestamp(end) + ",Title,,0,0,0,,";
  auto line = [&](const std::string& text, double yShare, double sizeShare) {
    const int size = FittedSize(VideoText::WidthInEms(text), Share(sizeShare, height_));
    out += span + "{\\an5\\pos(" + std::to_string(width_ / 2) + "," +
           std::to_string(Share(yShare, height_)) + ")\\fs" + std::to_string(size) + "}" +
           EscapeText(text) + "\n";
  };
  if (!card.title.empty()) line(card.title, kTitleShare, kTitleSizeShare);
  size_t credit = 0;
  if (!card.composer.empty()) {
    line(std::string(kComposerLabel) + card.composer, kCreditShares[credit++], kCreditSizeShare);
  }
  if (!card.lyricist.empty()) {
    line(std::string(kLyricistLabel) + card.lyricist, kCreditShares[credit++], kCreditSizeShare);
  }
  if (!card.artist.empty()) {
    line(std::string(kArtistLabel) + card.artist, kCreditShares[credit++], kCreditSizeShare);
  }
  return out;
}

SubtitleScript::Place SubtitleScript::PlaceOf(const LyricSheet::Line& line, size_t index) const {
  const double ems = VideoText::WidthInEms(line.Text());
  const double indent = static_cast<double>(line.indent);
  const int margin = Share(kMarginShare, width_);
  Place place;
  place.size = FittedSize(ems + indent, Share(kLyricSizeShare, height_));
  place.baseline = Share(index == 0 ? kFirstLineShare : kSecondLineShare, height_);
  const double em = place.size * kEmShare;
  const int textWidth = static_cast<int>(std::lround(ems * em));
  if (index == 0 || line.indent > 0) {
    // The indent gives way before the text would leave the frame.
    const int room = std::max(0, width_ - 2 * margin - textWidth);
    place.left = margin + std::min(room, static_cast<int>(std::lround(indent * em)));
    place.x = place.left;
  } else {
    place.right = true;
    place.x = width_ - margin;
    place.left = place.x - textWidth;
  }
  return place;
}

SubtitleScript::Step SubtitleScript::Advance(double start, double end, int64_t& cursor) const {
  // Every duration is a difference of rounded absolute times, so that the
  // wipe never drifts from the song.
  Step step;
  const int64_t from = Clamp(Centiseconds(start));
  if (from > cursor) {
    step.wait = from - cursor;
    cursor = from;
  }
  step.wipe = std::max<int64_t>(0, Clamp(Centiseconds(end)) - cursor);
  cursor += step.wipe;
  return step;
}

std::string SubtitleScript::LineEvent(const LyricSheet::Line& line, const Place& place,
                                      Span span) const {
  std::string out = "Dialogue: 0," + Timestamp(span.start) + "," + Timestamp(span.end) +
                    ",Lyric,,0,0,0,,{\\an" + (place.right ? "3" : "1") + "\\pos(" +
                    std::to_string(place.x) + "," + std::to_string(place.baseline) + ")\\fs" +
                    std::to_string(place.size) + "}";
  int64_t cursor = span.start;
  for (const auto& s : line.syllables) {
    // Spacing before the syllable shows while it waits: it is never wiped.
    const size_t blanks = VideoText::LeadingBlanks(s.text);
    const Step step = Advance(s.start, s.end, cursor);
    if (step.wait > 0 || blanks > 0) {
      out += "{\\k" + std::to_string(step.wait) + "}" + EscapeText(s.text.substr(0, blanks));
    }
    out += "{\\kf" + std::to_string(step.wipe) + "}" + EscapeText(s.text.substr(blanks));
  }
  return out + "\n";
}

std::string SubtitleScript::RubyEvents(const LyricSheet::Line& line, const Place& place,
                                       Span span) const {
  std::string out;
  const std::string text = line.Text();
  const int size = std::max(kMinFontSize, static_cast<int>(std::lround(place.size * kRubyScale)));
  const int outline = std::max(1, Outline() / kRubyOutlineDivisor);
  for (const LyricSheet::Ruby& r : line.rubies) {
    if (r.offset + r.length > text.size()) continue;
    const double before = VideoText::WidthInEms(std::string_view(text).substr(0, r.offset));
    const double base = VideoText::WidthInEms(std::string_view(text).substr(r.offset, r.length));
    const int x =
        place.left + static_cast<int>(std::lround((before + base / 2) * place.size * kEmShare));
    int64_t cursor = span.start;
    out += "Dialogue: 0," + Timestamp(span.start) + "," + Timestamp(span.end) +
           ",Lyric,,0,0,0,,{\\an2\\pos(" + std::to_string(x) + "," +
           std::to_string(place.baseline - place.size) + ")\\fs" + std::to_string(size) + "\\bord" +
           std::to_string(outline) + "}";
    const Step step = Advance(r.start, r.end, cursor);
    if (step.wait > 0) out += "{\\k" + std::to_string(step.wait) + "}";
    out += "{\\kf" + std::to_string(step.wipe) + "}" + EscapeText(r.text) + "\n";
  }
  return out;
}

std::string SubtitleScript::CaptionEvent(const LyricSheet::Page& page, Span span) const {
  const std::string text = page.lines.front().Text();
  const int size = FittedSize(VideoText::WidthInEms(text), Share(kLyricSizeShare, height_));
  return "Dialogue: 0," + Timestamp(span.start) + "," + Timestamp(span.end) +
         ",Title,,0,0,0,,{\\an5\\pos(" + std::to_string(width_ / 2) + "," +
         std::to_string(Share(kCaptionShare, height_)) + ")\\fs" + std::to_string(size) + "}" +
         EscapeText(text) + "\n";
}

std::string SubtitleScript::CountInEvents(const CountIn& count, const Place& place) const {
  std::string out;
  const int size =
      std::max(kMinFontSize, static_cast<int>(std::lround(place.size * kCountInDotScale)));
  const double pitch = size * kCountInDotPitch;
  // Above the line and the readings over its first kanji.
  const int y = place.baseline - static_cast<int>(std::lround(place.size * kCountInDotRise));
  for (int dot = 0; dot < kCountInBeats; ++dot) {
    const int64_t from = Clamp(Centiseconds(count.start));
    const int64_t to = Clamp(Centiseconds(count.start + (dot + 1) * count.beat));
    if (to <= from) continue;
    const int x = place.left + static_cast<int>(std::lround((dot + 0.5) * pitch));
    out += "Dialogue: 0," + Timestamp(from) + "," + Timestamp(to) + ",Lyric,,0,0,0,,{\\an2\\pos(" +
           std::to_string(x) + "," + std::to_string(y) + ")\\fs" + std::to_string(size) + "\\1c" +
           std::string(kUnsungColour) + "}" + std::string(kCountInDot) + "\n";
  }
  return out;
}

std::string SubtitleScript::Build(const LyricSheet& sheet, const TitleCard& card) const {
  std::string out = Header();
  const std::vector<Span> spans = PageSpans(sheet);
  out += CardEvents(card, spans.empty() ? duration_ : spans.front().start);
  const auto& pages = sheet.Pages();
  const std::vector<CountIn> counts = CountIns(sheet);
  for (const CountIn& c : counts) {
    out += CountInEvents(c, PlaceOf(pages[c.page].lines[c.line], c.line));
  }
  for (size_t p = 0; p < pages.size(); ++p) {
    if (spans[p].end <= spans[p].start) continue;
    if (pages[p].caption) {
      out += CaptionEvent(pages[p], spans[p]);
      continue;
    }
    for (size_t l = 0; l < pages[p].lines.size(); ++l) {
      const Place place = PlaceOf(pages[p].lines[l], l);
      out += LineEvent(pages[p].lines[l], place, spans[p]);
      out += RubyEvents(pages[p].lines[l], place, spans[p]);
    }
  }
  return out;
}

}  // namespace crx
