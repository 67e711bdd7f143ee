#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ReadingService.h"

namespace crx {

// The reading service of the system, for CP932 text: holds the service and
// the result of the last request.
class CImeLanguage {
 public:
  static constexpr int32_t kOk = 0;
  static constexpr int32_t kFail = static_cast<int32_t>(0x80004005);  // E_FAIL
  // A reading is held in this many bytes, its terminating zero included.
  static constexpr size_t kResultBufferSize = 2048;

  // Creates the installed reading service (none when it cannot be loaded).
  CImeLanguage();
  explicit CImeLanguage(std::unique_ptr<ReadingService> service);
  ~CImeLanguage();
  CImeLanguage(const CImeLanguage&) = delete;
  CImeLanguage& operator=(const CImeLanguage&) = delete;

  bool Available() const { return service_ != nullptr; }
  // The reading of a whole CP932 text, as CP932. Empty, with the last
  // result E_FAIL, when there is no service or the request fails.
  std::string GetPhonetic(std::string_view cp932);
  int32_t LastResult() const { return lastResult_; }
  // The morphemes of a CP932 text, surfaces and readings as CP932; their
  // surfaces joined give the text. Nothing (E_FAIL) when there is no
  // service, it cannot analyse, or a surface has no CP932 form.
  std::optional<std::vector<Morpheme>> GetMorphemes(std::string_view cp932);
  // Up to count analyses of a CP932 text, the best first, as CP932; the
  // analyses a surface of which has no CP932 form are left out. Nothing when
  // the service ranks no alternatives.
  std::optional<std::vector<std::vector<Morpheme>>> GetRankedMorphemes(std::string_view cp932,
                                                                       size_t count);

 private:
  std::unique_ptr<ReadingService> service_;
  int32_t lastResult_ = kOk;
};

}  // namespace crx
