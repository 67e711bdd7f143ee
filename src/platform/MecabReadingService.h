#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ReadingService.h"

namespace crx {

// The reading service on MeCab with the IPA dictionary (UTF-8): the reading
// of every morpheme, katakana turned into hiragana; a morpheme without a
// reading is kept as written.
class MecabReadingService : public ReadingService {
 public:
  // nullptr when MeCab or its dictionary cannot be loaded.
  static std::unique_ptr<MecabReadingService> Create();
  ~MecabReadingService() override;

  std::optional<std::string> Reading(std::string_view utf8) override;
  std::optional<std::vector<Morpheme>> Morphemes(std::string_view utf8) override;
  std::optional<std::vector<std::vector<Morpheme>>> RankedMorphemes(std::string_view utf8,
                                                                    size_t count) override;
  // More analyses than this are never ranked.
  static constexpr size_t kMaxRanked = 16;

  // Katakana ァ to ン as hiragana; other text unchanged (ヴ, ヵ and ヶ have no
  // hiragana in CP932 and stay).
  static std::string KatakanaToHiragana(std::string_view utf8);

 private:
  struct Impl;
  explicit MecabReadingService(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace crx
