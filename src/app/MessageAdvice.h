#pragma once

#include <string>
#include <string_view>

#include "foundation/Diagnostics.h"

namespace crx {

// What a user can do about a message of the core: one plain sentence on its
// cause and the way out, shown on a line of its own under the message,
// keyed on the diagnostic's module tag and code. The message itself is
// never changed.
class MessageAdvice {
 public:
  // The sentence for the diagnostic; empty when there is nothing to add.
  static std::string_view For(const Diagnostic& diagnostic);
  // The text as shown: the message, then its advice on the next line.
  static std::string WithAdvice(const Diagnostic& diagnostic);
};

}  // namespace crx
