#include <gtest/gtest.h>

#include "platform/TextCodec.h"

namespace crx {
namespace {

TEST(TextCodec, Cp932RoundTripKeepsBackslashWaveDashAndNecCharacters) {
  // 表 (95 5C), \ (5C), ～ (81 60), － (81 7C), ① (87 40)
  const std::string cp932 = "\x95\x5C\x5C\x81\x60\x81\x7C\x87\x40";
  auto utf8 = TextCodec::Cp932ToUtf8(cp932);
  ASSERT_TRUE(utf8.has_value());
  EXPECT_EQ(*utf8, "表\\～－①");
  EXPECT_EQ(TextCodec::Utf8ToCp932(*utf8), cp932);
}

TEST(TextCodec, InvalidInputIsRefusedOrMarked) {
  EXPECT_FALSE(TextCodec::Cp932ToUtf8("a\x82").has_value());  // cut character
  EXPECT_EQ(TextCodec::Cp932ToUtf8Lossy("a\x82"), "a?");
  EXPECT_FALSE(TextCodec::Utf8ToCp932("😀").has_value());  // not in CP932
  EXPECT_EQ(TextCodec::Cp932ToUtf8(""), "");
}

TEST(TextCodec, LeadBytes) {
  EXPECT_TRUE(TextCodec::IsCp932LeadByte(0x81));
  EXPECT_TRUE(TextCodec::IsCp932LeadByte(0x9F));
  EXPECT_TRUE(TextCodec::IsCp932LeadByte(0xE0));
  EXPECT_TRUE(TextCodec::IsCp932LeadByte(0xFC));
  EXPECT_FALSE(TextCodec::IsCp932LeadByte(0xA0));  // half-width kana range starts
  EXPECT_FALSE(TextCodec::IsCp932LeadByte(0x80));
  EXPECT_FALSE(TextCodec::IsCp932LeadByte(0xFD));
}

}  // namespace
}  // namespace crx
