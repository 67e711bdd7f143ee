#include "app/CTextEditDlg.h"

#include "lyrics/CLyricCorrection.h"
#include "lyrics/Cp932Text.h"
#include "platform/TextCodec.h"
#include "platform/UiServices.h"

namespace crx {
namespace {

struct Particles {
  std::string ha = Cp932Text::FromUtf8("は");
  std::string he = Cp932Text::FromUtf8("へ");
  std::string wa = Cp932Text::FromUtf8("わ");
  std::string e = Cp932Text::FromUtf8("え");
};

const Particles& Kana() {
  static const Particles particles;
  return particles;
}

// The last character of a CP932 text (empty for an empty text).
std::string_view LastCharacter(std::string_view cp932) {
  const std::string_view tail = Cp932Text::Tail(cp932, 2);
  if (tail.empty() || Cp932Text::CharLength(tail, 0) == tail.size()) return tail;
  return tail.substr(tail.size() - 1);
}

}  // namespace

CTextEditDlg::CTextEditDlg(std::string context, std::string target)
    : context_(std::move(context)), target_(std::move(target)), opened_(target_) {}

void CTextEditDlg::SetPosition(int number, int count) {
  number_ = number;
  count_ = count;
}

std::string CTextEditDlg::PositionText() const {
  if (count_ <= 0) return {};
  return std::to_string(number_) + " / " + std::to_string(count_);
}

bool CTextEditDlg::OnInitDialog() {
  targetText_ = TextCodec::Cp932ToUtf8Lossy(target_);
  held_ = true;
  choice_ = Choice::Closed;
  const std::string_view last = LastCharacter(target_);
  if (last == Kana().ha) {
    changeCaption_ = kHaCaption;
  } else if (last == Kana().he) {
    changeCaption_ = kHeCaption;
  } else if (!CLyricCorrection::IsPlainKana(target_)) {
    changeCaption_ = kFixCaption;
  } else {
    changeCaption_ = kHaCaption;
  }
  return true;
}

std::string CTextEditDlg::ContextText() const { return TextCodec::Cp932ToUtf8Lossy(context_); }

void CTextEditDlg::SetTargetText(std::string utf8) {
  targetText_ = std::move(utf8);
  std::optional<std::string> cp932 = TextCodec::Utf8ToCp932(targetText_);
  held_ = cp932.has_value();
  if (held_) target_ = std::string(Cp932Text::Head(*cp932, kMaxTargetBytes));
}

bool CTextEditDlg::OnChange() {
  const std::string_view last = LastCharacter(target_);
  if (last == Kana().ha || last == Kana().he) {
    target_.replace(target_.size() - last.size(), last.size(),
                    last == Kana().ha ? Kana().wa : Kana().e);
  }
  targetText_ = TextCodec::Cp932ToUtf8Lossy(target_);
  held_ = true;
  return OnOK();
}

bool CTextEditDlg::OnOK() {
  // A character CP932 cannot hold is no plain kana either.
  if (held_ && target_.empty()) {
    Ui().ShowMessage(kEmptyMessage, MessageKind::Plain);
    return false;
  }
  if (held_ && CLyricCorrection::IsPlainKana(target_)) {
    choice_ = Choice::Confirmed;
    return true;
  }
  Ui().ShowMessage(kNotKanaMessage, MessageKind::Plain);
  return false;
}

bool CTextEditDlg::OnSkip() {
  choice_ = Choice::Skipped;
  return true;
}

bool CTextEditDlg::OnAcceptAll() {
  choice_ = Choice::AcceptAll;
  return true;
}

}  // namespace crx
