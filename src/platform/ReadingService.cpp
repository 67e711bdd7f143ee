#include "platform/ReadingService.h"

#include <mutex>

#include "platform/MecabReadingService.h"

namespace crx {
namespace {

std::mutex g_factoryMutex;
ReadingServiceFactory g_factory;

}  // namespace

std::optional<std::vector<Morpheme>> ReadingService::Morphemes(std::string_view) {
  return std::nullopt;
}

std::optional<std::vector<std::vector<Morpheme>>> ReadingService::RankedMorphemes(std::string_view,
                                                                                  size_t) {
  return std::nullopt;
}

std::unique_ptr<ReadingService> CreateReadingService() {
  ReadingServiceFactory factory;
  {
    std::lock_guard lock(g_factoryMutex);
    factory = g_factory;
  }
  if (factory) return factory();
  return MecabReadingService::Create();
}

ReadingServiceFactory SetReadingServiceFactory(ReadingServiceFactory factory) {
  std::lock_guard lock(g_factoryMutex);
  ReadingServiceFactory previous = std::move(g_factory);
  g_factory = std::move(factory);
  return previous;
}

}  // namespace crx
