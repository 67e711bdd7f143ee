#include "lyrics/CImeLanguage.h"

#include "lyrics/Cp932Text.h"
#include "platform/TextCodec.h"

namespace crx {

CImeLanguage::CImeLanguage() : service_(CreateReadingService()) {}

CImeLanguage::CImeLanguage(std::unique_ptr<ReadingService> service)
    : service_(std::move(service)) {}

CImeLanguage::~CImeLanguage() = default;

std::string CImeLanguage::GetPhonetic(std::string_view cp932) {
  lastResult_ = kFail;
  if (!service_) return {};
  std::optional<std::string> utf8 = TextCodec::Cp932ToUtf8(cp932);
  if (!utf8) return {};
  std::optional<std::string> reading = service_->Reading(*utf8);
  if (!reading) return {};
  std::optional<std::string> result = TextCodec::Utf8ToCp932(*reading);
  if (!result) return {};
  // The result buffer keeps its last byte for the terminating zero; a longer
  // reading is cut after its last whole character.
  const size_t room = kResultBufferSize - 1;
  if (result->size() > room) {
    size_t cut = 0;
    while (cut < result->size()) {
      size_t n = Cp932Text::CharLength(*result, cut);
      if (cut + n > room) break;
      cut += n;
    }
    result->resize(cut);
  }
  lastResult_ = kOk;
  return *result;
}

namespace {

// Surfaces and readings as CP932; false when a surface has no CP932 form.
bool ToCp932(std::vector<Morpheme>& morphemes) {
  for (Morpheme& m : morphemes) {
    std::optional<std::string> surface = TextCodec::Utf8ToCp932(m.surface);
    if (!surface) return false;
    m.surface = std::move(*surface);
    m.reading = TextCodec::Utf8ToCp932(m.reading).value_or(std::string());
  }
  return true;
}

}  // namespace

std::optional<std::vector<Morpheme>> CImeLanguage::GetMorphemes(std::string_view cp932) {
  lastResult_ = kFail;
  if (!service_) return std::nullopt;
  std::optional<std::string> utf8 = TextCodec::Cp932ToUtf8(cp932);
  if (!utf8) return std::nullopt;
  std::optional<std::vector<Morpheme>> morphemes = service_->Morphemes(*utf8);
  if (!morphemes || !ToCp932(*morphemes)) return std::nullopt;
  lastResult_ = kOk;
  return morphemes;
}

std::optional<std::vector<std::vector<Morpheme>>> CImeLanguage::GetRankedMorphemes(
    std::string_view cp932, size_t count) {
  lastResult_ = kFail;
  if (!service_) return std::nullopt;
  std::optional<std::string> utf8 = TextCodec::Cp932ToUtf8(cp932);
  if (!utf8) return std::nullopt;
  std::optional<std::vector<std::vector<Morpheme>>> ranked =
      service_->RankedMorphemes(*utf8, count);
  if (!ranked) return std::nullopt;
  std::erase_if(*ranked, [](std::vector<Morpheme>& analysis) { return !ToCp932(analysis); });
  lastResult_ = kOk;
  return ranked;
}

}  // namespace crx
