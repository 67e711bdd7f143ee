#pragma once

#include <memory>

#include "platform/ReadingService.h"

namespace crx {

class XfKaraokeData;

// The reading-service pass: every non-empty lyric is replaced by its reading
// when the service gives one. Without a service every lyric stays as it was.
// Does its whole work in the constructor.
class CVocaloidConvertPhonetic {
 public:
  // With the installed reading service.
  explicit CVocaloidConvertPhonetic(XfKaraokeData& song);
  CVocaloidConvertPhonetic(XfKaraokeData& song, std::unique_ptr<ReadingService> service);
};

}  // namespace crx
