#pragma once

#include <span>
#include <string>
#include <string_view>

namespace crx {

// The three Japanese diphone voices the singer knows.
enum class DiphoneVoice { Jp1, Jp2, Jp3 };

// Which diphones each voice holds: every ordered pair of its phone symbols
// that the diphone synthesizer joins without a warning. Found once by running
// the synthesizer on every pair and collecting its "X-Y unknown" warnings;
// kept here so that a phrase is checked before the synthesizer runs.
class CDiphoneTable {
 public:
  static constexpr std::string_view kSilence = "_";

  // True when the voice joins a to b (a then b).
  static bool Has(DiphoneVoice voice, std::string_view a, std::string_view b);
  // True when the voice has the phone at all.
  static bool HasPhone(DiphoneVoice voice, std::string_view phone);
  // The voice's phone symbols, silence first.
  static std::span<const std::string> Phones(DiphoneVoice voice);
  // The number of diphones of the voice.
  static size_t Count(DiphoneVoice voice);
};

}  // namespace crx
