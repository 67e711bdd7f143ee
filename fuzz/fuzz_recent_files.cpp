#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/RecentFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto paths =
      crx::RecentFiles::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (paths.size() > crx::RecentFiles::kMaxEntries) __builtin_trap();
  return 0;
}
