#pragma once

#include <cstddef>
#include <string_view>

namespace crx {

// One edit field of a dialog as a window shows it: its control id, the label
// beside it, whether the user may type in it and the size of the buffer it is
// read into (the terminating zero included; 0 = no limit of its own).
struct DialogField {
  int id;
  std::string_view label;
  bool readOnly;
  size_t bufferSize;
};

}  // namespace crx
