#include "foundation/GeneralError.h"

#include "foundation/Diagnostics.h"
#include "foundation/SystemReason.h"

namespace crx {
namespace {

constexpr ErrorEntry kGeneralTable[] = {
    {0x01000002, "メモリが不足しています。"},
    {0x01000004, "パフォーマンスが低下しています。一旦終了して、再起動してください。"},
    {0x01000005, "ファイルが見つかりませんでした。"},
    {0x01000006, "16進数のデータの記述に誤りがあります。"},
    {0x01000007,
     "ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。\n"
     "あるいは、出力フォルダや作業フォルダの設定などを確認してください。"},
    {0x0100000A, "データが大きすぎます。"},
    {0x0100000B, "パラメータに誤りがあります。"},
    {0x0100000C, "カレントディレクトリが取得できませんでした。"},
    {0x0100000D, "ファイルサイズにエラーがあります。"},
    {0x0100000E, "拍子にエラーがあります。"},
    {0x0100000F, "自動編曲中にエラーが発生しました。(1)"},
    {0x01000010, "楽曲解析中にエラーが発生しました。"},
    {0x01000011, "自動編曲中にエラーが発生しました。(2)"},
    {0x01000012, "BPM変換でエラーが発生しました。"},
    {0x01000013, "テンポ変換でエラーが発生しました。"},
};

}  // namespace

std::span<const ErrorEntry> GeneralErrorTable() { return kGeneralTable; }

std::string_view GeneralMessage(uint32_t code) {
  for (const ErrorEntry& e : kGeneralTable) {
    if (e.code == code) return e.message;
  }
  return kGeneDefaultMessage;
}

std::string FormatGeneralError(uint32_t code, const char* detail) {
  std::string text = FormatTagged(kGeneTag, code, GeneralMessage(code));
  if (detail != nullptr) {
    text.append(" [").append(detail).append("]");
    CutToReportBuffer(text);
  }
  return text;
}

int GeneralErrorMsg(uint32_t code, const char* detail) {
  ReportModuleError(FormatGeneralError(code, detail), kGeneTag, code);
  return 1;
}

int GeneralErrorMsgWithReason(uint32_t code, const char* detail, int errorNumber) {
  std::string text = WithSystemReason(FormatGeneralError(code, detail), errorNumber);
  CutToReportBuffer(text);
  ReportModuleError(text, kGeneTag, code);
  return 1;
}

int GeneralErrorMsgPlain(uint32_t code) {
  ReportModuleError(FormatGeneralError(code), kGeneTag, code);
  return 1;
}

}  // namespace crx
