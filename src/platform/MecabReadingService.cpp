#include "platform/MecabReadingService.h"

#include <algorithm>

#include <mutex>
#include <vector>

#include "platform/TextCodec.h"

#ifdef CRX_HAVE_MECAB
#include <mecab.h>
#endif

namespace crx {
namespace {

constexpr char32_t kSmallKatakanaA = 0x30A1;  // ァ
constexpr char32_t kKatakanaN = 0x30F3;       // ン
constexpr char32_t kKatakanaToHiragana = 0x60;

// Decodes one UTF-8 sequence at i; returns its length (1 for a stray byte).
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
  unsigned char c = b(0);
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  size_t n = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
  if (n == 0 || i + n > s.size()) {
    cp = c;
    return 1;
  }
  char32_t v = n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
  for (size_t k = 1; k < n; ++k) {
    if ((b(k) & 0xC0) != 0x80) {
      cp = c;
      return 1;
    }
    v = (v << 6) | (b(k) & 0x3F);
  }
  cp = v;
  return n;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

#ifdef CRX_HAVE_MECAB
constexpr const char* kModelArguments = "-r /dev/null -d /var/lib/mecab/dic/ipadic-utf8";
// The IPA dictionary's feature fields: ..., base form, reading, pronunciation.
constexpr size_t kReadingField = 7;
constexpr size_t kPartOfSpeechField = 0;
constexpr std::string_view kParticle = "助詞";

struct ModelDeleter {
  void operator()(mecab_model_t* m) const { mecab_model_destroy(m); }
};
struct TaggerDeleter {
  void operator()(mecab_t* t) const { mecab_destroy(t); }
};
struct LatticeDeleter {
  void operator()(mecab_lattice_t* l) const { mecab_lattice_destroy(l); }
};

// The dictionary is loaded once per process and shared; a failed load is
// tried again on the next request for a service.
std::shared_ptr<mecab_model_t> SharedModel() {
  static std::mutex mutex;
  static std::shared_ptr<mecab_model_t> model;
  std::lock_guard lock(mutex);
  if (!model) {
    mecab_model_t* m = mecab_model_new2(kModelArguments);
    if (m != nullptr) model.reset(m, ModelDeleter{});
  }
  return model;
}

// Field k of a comma-separated feature text, or nothing.
std::optional<std::string_view> FeatureField(std::string_view feature, size_t k) {
  size_t start = 0;
  for (size_t i = 0; i < k; ++i) {
    size_t comma = feature.find(',', start);
    if (comma == std::string_view::npos) return std::nullopt;
    start = comma + 1;
  }
  size_t end = feature.find(',', start);
  return feature.substr(start,
                        end == std::string_view::npos ? feature.size() - start : end - start);
}
#endif

}  // namespace

#ifdef CRX_HAVE_MECAB
struct MecabReadingService::Impl {
  std::shared_ptr<mecab_model_t> model;
  std::unique_ptr<mecab_t, TaggerDeleter> tagger;
  std::unique_ptr<mecab_lattice_t, LatticeDeleter> lattice;
};

std::unique_ptr<MecabReadingService> MecabReadingService::Create() {
  auto impl = std::make_unique<Impl>();
  impl->model = SharedModel();
  if (!impl->model) return nullptr;
  impl->tagger.reset(mecab_model_new_tagger(impl->model.get()));
  impl->lattice.reset(mecab_model_new_lattice(impl->model.get()));
  if (!impl->tagger || !impl->lattice) return nullptr;
  return std::unique_ptr<MecabReadingService>(new MecabReadingService(std::move(impl)));
}

namespace {

// The morphemes of the analysis the lattice holds now.
std::vector<Morpheme> LatticeMorphemes(mecab_lattice_t* lattice) {
  std::vector<Morpheme> out;
  for (const mecab_node_t* node = mecab_lattice_get_bos_node(lattice); node != nullptr;
       node = node->next) {
    if (node->stat != MECAB_NOR_NODE && node->stat != MECAB_UNK_NODE) continue;
    // Blanks before the morpheme stand on their own, unread.
    size_t blanks = static_cast<size_t>(node->rlength - node->length);
    std::string_view surface(node->surface - blanks, node->rlength);
    if (blanks > 0) out.push_back(Morpheme{std::string(surface.substr(0, blanks)), {}, false});
    surface.remove_prefix(blanks);
    Morpheme m{std::string(surface), {}, false};
    if (node->stat == MECAB_NOR_NODE && node->feature != nullptr) {
      std::optional<std::string_view> reading = FeatureField(node->feature, kReadingField);
      // A reading that CP932 cannot hold is no use to the lyric.
      if (reading && !reading->empty() && *reading != "*") {
        std::string kana = MecabReadingService::KatakanaToHiragana(*reading);
        if (TextCodec::Utf8ToCp932(kana)) m.reading = std::move(kana);
      }
      m.particle = FeatureField(node->feature, kPartOfSpeechField) == kParticle;
    }
    out.push_back(std::move(m));
  }
  return out;
}

}  // namespace

std::optional<std::vector<Morpheme>> MecabReadingService::Morphemes(std::string_view utf8) {
  mecab_lattice_t* lattice = impl_->lattice.get();
  mecab_lattice_set_request_type(lattice, MECAB_ONE_BEST);
  mecab_lattice_set_sentence2(lattice, utf8.data(), utf8.size());
  if (mecab_parse_lattice(impl_->tagger.get(), lattice) == 0) {
    mecab_lattice_clear(lattice);
    return std::nullopt;
  }
  std::vector<Morpheme> out = LatticeMorphemes(lattice);
  mecab_lattice_clear(lattice);
  return out;
}

std::optional<std::vector<std::vector<Morpheme>>> MecabReadingService::RankedMorphemes(
    std::string_view utf8, size_t count) {
  mecab_lattice_t* lattice = impl_->lattice.get();
  mecab_lattice_set_request_type(lattice, MECAB_NBEST);
  mecab_lattice_set_sentence2(lattice, utf8.data(), utf8.size());
  std::optional<std::vector<std::vector<Morpheme>>> out;
  if (mecab_parse_lattice(impl_->tagger.get(), lattice) != 0) {
    out.emplace();
    count = std::min(count, kMaxRanked);
    do {
      out->push_back(LatticeMorphemes(lattice));
    } while (out->size() < count && mecab_lattice_next(lattice) != 0);
  }
  mecab_lattice_clear(lattice);
  mecab_lattice_set_request_type(lattice, MECAB_ONE_BEST);
  return out;
}

std::optional<std::string> MecabReadingService::Reading(std::string_view utf8) {
  std::optional<std::vector<Morpheme>> morphemes = Morphemes(utf8);
  if (!morphemes) return std::nullopt;
  std::string out;
  for (const Morpheme& m : *morphemes) out.append(m.reading.empty() ? m.surface : m.reading);
  return out;
}
#else
struct MecabReadingService::Impl {};

std::unique_ptr<MecabReadingService> MecabReadingService::Create() { return nullptr; }

std::optional<std::vector<std::vector<Morpheme>>> MecabReadingService::RankedMorphemes(
    std::string_view, size_t) {
  return std::nullopt;
}

std::optional<std::string> MecabReadingService::Reading(std::string_view) { return std::nullopt; }

std::optional<std::vector<Morpheme>> MecabReadingService::Morphemes(std::string_view) {
  return std::nullopt;
}
#endif

MecabReadingService::MecabReadingService(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MecabReadingService::~MecabReadingService() = default;

std::string MecabReadingService::KatakanaToHiragana(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    size_t n = DecodeUtf8(utf8, i, cp);
    if (n == 1) {
      out.push_back(utf8[i]);
    } else {
      if (cp >= kSmallKatakanaA && cp <= kKatakanaN) cp -= kKatakanaToHiragana;
      AppendUtf8(out, cp);
    }
    i += n;
  }
  return out;
}

}  // namespace crx
