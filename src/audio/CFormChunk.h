#pragma once

#include <optional>

#include "audio/CAiffChunk.h"
#include "audio/CCommonChunk.h"
#include "audio/CSoundDataChunk.h"

namespace crx {

// The outer "FORM" chunk of form type "AIFF" and the two inner chunks the
// conversion needs, found by identifier wherever they stand.
class CFormChunk : public CAiffChunk {
 public:
  static constexpr std::string_view kFormId = "FORM";
  static constexpr std::string_view kAiffType = "AIFF";
  static constexpr std::string_view kCommonId = "COMM";
  static constexpr std::string_view kSoundDataId = "SSND";
  static constexpr size_t kFormTypeSize = 4;

  // Walks the inner chunks after the form type. False when something was
  // wrong: a size cut to the image, a missing or short COMM or SSND.
  bool ParseInner();

  // Nothing when the chunk is missing.
  const CCommonChunk* Common() const { return common_ ? &*common_ : nullptr; }
  const CSoundDataChunk* SoundData() const { return soundData_ ? &*soundData_ : nullptr; }
  // Offset of the next inner chunk within the form data, after parsing.
  size_t ParsePosition() const { return parsePosition_; }

 private:
  size_t parsePosition_ = kFormTypeSize;
  std::optional<CCommonChunk> common_;
  std::optional<CSoundDataChunk> soundData_;
};

}  // namespace crx
