#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "foundation/ModuleReporter.h"

namespace crx {

// Codes of the general table (tag GENE).
inline constexpr uint32_t kGeneNoMemory = 0x01000002;
inline constexpr uint32_t kGenePerformance = 0x01000004;
inline constexpr uint32_t kGeneFileNotFound = 0x01000005;
inline constexpr uint32_t kGeneBadHex = 0x01000006;
inline constexpr uint32_t kGeneOpenFailed = 0x01000007;
inline constexpr uint32_t kGeneTooLarge = 0x0100000A;
inline constexpr uint32_t kGeneBadParameter = 0x0100000B;
inline constexpr uint32_t kGeneNoCurrentFolder = 0x0100000C;
inline constexpr uint32_t kGeneFileSize = 0x0100000D;
inline constexpr uint32_t kGeneTimeSignature = 0x0100000E;

inline constexpr std::string_view kGeneTag = "GENE";
inline constexpr std::string_view kGeneDefaultMessage = "汎用処理でエラーが発生しました。";

std::span<const ErrorEntry> GeneralErrorTable();
std::string_view GeneralMessage(uint32_t code);

// "GENE%08X %s", or with a detail "GENE%08X %s [%s]".
std::string FormatGeneralError(uint32_t code, const char* detail = nullptr);

// Shows a general error, with the detail (a path) when one is given.
// Returns the box's result.
int GeneralErrorMsg(uint32_t code, const char* detail = nullptr);
inline int GeneralErrorMsg(uint32_t code, const std::string& detail) {
  return GeneralErrorMsg(code, detail.c_str());
}
// As GeneralErrorMsg, followed by the system's reason for the failure
// (errno): "GENE%08X %s [%s] (reason)".
int GeneralErrorMsgWithReason(uint32_t code, const char* detail, int errorNumber);
// The renderer's reporter: always the plain form.
int GeneralErrorMsgPlain(uint32_t code);

}  // namespace crx
