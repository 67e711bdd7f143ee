#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace crx {

// Binds a settings file to a fixed-size record: fills the record from the
// file (or from the defaults when there is none) on construction and writes
// it back on destruction. The file holds exactly the record's bytes; a file
// as long as an earlier form of the record (fields added since at its end)
// is read as far as it goes, the defaults filling the rest.
class CConfigControl {
 public:
  // withDetail: reports name the path (the main program) or not (the renderer).
  // earlierSizes: the lengths of the record's earlier forms.
  CConfigControl(std::string path, std::span<uint8_t> record, std::span<const uint8_t> defaults,
                 bool withDetail = true, std::span<const size_t> earlierSizes = {});
  ~CConfigControl();
  CConfigControl(const CConfigControl&) = delete;
  CConfigControl& operator=(const CConfigControl&) = delete;

  // Writes the record now: to a temporary file in the same folder, renamed
  // over the old one, so a failed write keeps the previous settings.
  bool Save();
  // Headless runs read the settings but do not rewrite them.
  void SetSaveOnDestroy(bool save) { saveOnDestroy_ = save; }
  const std::string& Path() const { return path_; }
  // Bytes the file gave at construction (0 when the defaults were used).
  size_t BytesLoaded() const { return bytesLoaded_; }

 private:
  std::string path_;
  std::span<uint8_t> record_;
  bool withDetail_;
  bool saveOnDestroy_ = true;
  size_t bytesLoaded_ = 0;
};

}  // namespace crx
