#pragma once

#include <string>
#include <string_view>

namespace crx {

// Small text helpers of the video maker.
class VideoText {
 public:
  // The message with its "%s" replaced by the argument.
  static std::string WithArgument(std::string_view message, std::string_view argument);
  // Without ASCII and full-width blanks at either end.
  static std::string_view TrimBlanks(std::string_view utf8);
  // The length in bytes of the ASCII and full-width blanks that start the text.
  static size_t LeadingBlanks(std::string_view utf8);
  // The extension of the path's file name, in small letters, with its dot
  // (".wmv"); empty when the name has none.
  static std::string LowerExtension(std::string_view path);
  // The width of a text in font sizes: ASCII and half-width katakana count
  // one half, every other character one.
  static double WidthInEms(std::string_view utf8);
};

}  // namespace crx
