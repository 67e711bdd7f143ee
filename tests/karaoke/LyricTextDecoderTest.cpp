#include "karaoke/LyricTextDecoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "karaoke/LyricTrackWriter.h"
#include "support/karaoke/XfFileBuilder.h"

namespace crx {
namespace {

std::string Sjis(std::string_view utf8) { return test::XfFileBuilder::Cp932(utf8); }

TEST(LyricTextDecoderTest, TheEncodingIsTakenFromAllTextsTogether) {
  struct Case {
    const char* name;
    std::vector<std::string> texts;
    LyricEncoding expected;
  };
  const std::vector<Case> cases = {
      {"ASCII", {"la", "la\r"}, LyricEncoding::Cp932},
      {"UTF-8", {"a", "\xE3\x81\x82", "\xC3\xA9"}, LyricEncoding::Utf8},
      {"CP932", {Sjis("あ"), Sjis("漢字")}, LyricEncoding::Cp932},
      // One text that is no UTF-8 turns the set to CP932 when that fits it.
      {"UTF-8 and CP932", {"\xC3\xA9", Sjis("あ")}, LyricEncoding::Cp932},
      {"broken UTF-8", {"\xE3\x81\x82", "\xE3\x81\x82\xE3"}, LyricEncoding::Cp1252},
      {"overlong UTF-8, half-width kana in CP932", {"\xC0\xAF"}, LyricEncoding::Cp932},
      {"surrogate in UTF-8", {"\xED\xA0\x80"}, LyricEncoding::Cp1252},
      {"Latin-1",
       {"f\xFCr",
        "Stra\xDF"
        "e"},
       LyricEncoding::Cp1252},
      // Texts with a byte order mark speak for themselves only.
      {"BOM", {"\xFF\xFE\x42\x30", Sjis("い")}, LyricEncoding::Cp932},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LyricTextDecoder::Detect(c.texts), c.expected);
  }
}

TEST(LyricTextDecoderTest, EveryTextBecomesValidCp932) {
  struct Case {
    const char* name;
    std::string text;
    LyricEncoding encoding;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"CP932 as it is", Sjis("ソーダ"), LyricEncoding::Cp932, Sjis("ソーダ")},
      {"half-width kana", "\xB1\xB2", LyricEncoding::Cp932, "\xB1\xB2"},
      {"CP932 with a cut and a bad byte",
       "a\x80"
       "b\x82",
       LyricEncoding::Cp932, "a?b?"},
      {"UTF-8 kana", "\xE3\x81\x8B\xE3\x83\xBC", LyricEncoding::Utf8, Sjis("かー")},
      {"UTF-8 wave dash", "\xE3\x80\x9C", LyricEncoding::Utf8, Sjis("〜")},
      {"UTF-8 outside CP932", "caf\xC3\xA9 \xF0\x9F\x8E\xB5!", LyricEncoding::Utf8, "cafe ?!"},
      {"UTF-8 broken after a BOM", "\xEF\xBB\xBF\xE3\x81", LyricEncoding::Cp932, "??"},
      {"UTF-16 LE", "\xFF\xFE\x42\x30\x44\x30", LyricEncoding::Cp932, Sjis("あい")},
      {"UTF-16 BE with a pair and a lone half",
       std::string("\xFE\xFF\x30\x42\xD8\x3C\xDF\xB5\xDC\x00", 10), LyricEncoding::Cp932,
       Sjis("あ") + "??"},
      {"CP1252 letters", "\xC4\xDF\xE6\xE9\xF1\xFF", LyricEncoding::Cp1252, "Assaeeny"},
      {"CP1252 signs", "\x93Hi\x94 \x85 \x96 \x92\xA0\x80", LyricEncoding::Cp1252,
       "\"Hi\" ... - ' E"},
      {"CP1252 never a control mark", "\x8B\x9B\xF7\x88\x89\x81", LyricEncoding::Cp1252, "''????"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = LyricTextDecoder::ToCp932(c.text, c.encoding);
    EXPECT_EQ(out, c.expected);
    EXPECT_TRUE(LyricTextDecoder::IsValidCp932(out));
  }
  // Latin-1 text stays single-byte whatever it holds.
  std::string all;
  for (int b = 0x80; b <= 0xFF; ++b) all.push_back(static_cast<char>(b));
  for (char c : LyricTextDecoder::ToCp932(all, LyricEncoding::Cp1252)) {
    EXPECT_LT(static_cast<unsigned char>(c), 0x80);
    EXPECT_EQ(std::string("/<>^%[]()\\").find(c), std::string::npos) << c;
  }
}

std::vector<std::string> Texts(LyricTrackWriter& writer) {
  std::vector<std::string> out;
  auto track = writer.TakeTrack();
  int64_t tick = 0;
  for (const MidiEvent& ev : track->Events()) {
    tick += ev.delta;
    if (!ev.IsEndOfTrack())
      out.push_back(std::to_string(tick) + (ev.IsMeta(7) ? " cue " : " ") + ev.Text());
  }
  EXPECT_TRUE(track->Event(track->Count() - 1).IsEndOfTrack());
  return out;
}

TEST(LyricTrackWriterTest, LineAndPageMarksBecomeTheXfConvention) {
  LyricTrackWriter kar(KaraokeKind::SoftKaraoke, LyricEncoding::Cp932);
  kar.Lyric(0, "\\");  // a page mark alone waits for the next text
  kar.Lyric(10, "One ");
  kar.Lyric(20, "/\\two");  // both marks
  kar.Lyric(30, "/");
  kar.Lyric(40, "-");  // no continuation in a .kar file
  kar.Lyric(50, "");
  kar.Cue(60, "&s");
  EXPECT_EQ(Texts(kar),
            (std::vector<std::string>{"10 <One ", "20 /", "20 <two", "30 /", "40 -", "60 cue &s"}));

  LyricTrackWriter plain(KaraokeKind::LyricMidi, LyricEncoding::Cp932);
  plain.Lyric(0, "la\r");
  plain.Lyric(5, "\n");
  plain.Lyric(10, "a\rb");
  plain.Lyric(20, "/x");  // a slash is only a .kar mark
  plain.Lyric(30, " _ ");
  plain.Lyric(40, "--");  // no mark: two hyphens
  EXPECT_EQ(Texts(plain), (std::vector<std::string>{"0 la", "0 /", "10 <a", "10 /", "10 b", "20 /x",
                                                    "30 " + Sjis("ー"), "40 --"}));
}

}  // namespace
}  // namespace crx
