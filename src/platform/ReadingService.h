#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// One morpheme of an analysed text.
struct Morpheme {
  std::string surface;    // as it stands in the text
  std::string reading;    // hiragana; empty when the service has none
  bool particle = false;  // a particle of the grammar (助詞)
};

// The system's Japanese reading service: gives the kana reading of a text.
// Readings are hiragana; what the service cannot read stays as written.
class ReadingService {
 public:
  virtual ~ReadingService() = default;
  // The reading of a UTF-8 text as UTF-8, or nothing when the request fails.
  virtual std::optional<std::string> Reading(std::string_view utf8) = 0;
  // The morphemes of a UTF-8 text in order (UTF-8); their surfaces joined
  // give the text. Nothing when the service cannot analyse text.
  virtual std::optional<std::vector<Morpheme>> Morphemes(std::string_view utf8);
  // Up to count analyses of the text, the best first (the first is the one
  // Morphemes gives). Nothing when the service ranks no alternatives.
  virtual std::optional<std::vector<std::vector<Morpheme>>> RankedMorphemes(std::string_view utf8,
                                                                            size_t count);
};

using ReadingServiceFactory = std::function<std::unique_ptr<ReadingService>()>;

// Creates the installed reading service: by default the morphological
// analyser's; nullptr when it cannot be loaded.
std::unique_ptr<ReadingService> CreateReadingService();
// Replaces the factory (tests); an empty one restores the default. Returns
// the previous one.
ReadingServiceFactory SetReadingServiceFactory(ReadingServiceFactory factory);

// Installs a factory for the lifetime of the scope.
class ScopedReadingService {
 public:
  explicit ScopedReadingService(ReadingServiceFactory factory)
      : previous_(SetReadingServiceFactory(std::move(factory))) {}
  ~ScopedReadingService() { SetReadingServiceFactory(std::move(previous_)); }
  ScopedReadingService(const ScopedReadingService&) = delete;
  ScopedReadingService& operator=(const ScopedReadingService&) = delete;

 private:
  ReadingServiceFactory previous_;
};

}  // namespace crx
