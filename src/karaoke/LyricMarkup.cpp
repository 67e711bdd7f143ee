#include "karaoke/LyricMarkup.h"

#include <cstdint>

#include "platform/TextCodec.h"

namespace crx {
namespace {

constexpr char kLineEnd = '/';
constexpr char kPageStart = '<';
constexpr char kIndent = '>';
constexpr char kVisibleSpace = '^';
constexpr char kOptionalBreak = '%';
constexpr char kRubyOpen = '[';
constexpr char kRubyClose = ']';
constexpr char kHiddenOpen = '(';
constexpr char kHiddenClose = ')';
constexpr char kEscape = '\\';
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kSpace = ' ';
constexpr uint8_t kFirstPrintable = 0x20;
constexpr uint8_t kDelete = 0x7F;

// Double-byte characters by their CP932 bytes.
constexpr std::string_view kWideSpace = "\x81\x40";
constexpr std::string_view kRemarkOpen = "\x81\x69";   // （
constexpr std::string_view kRemarkClose = "\x81\x6A";  // ）
constexpr std::string_view kRepeatMark = "\x81\x58";   // 々
constexpr std::string_view kClosingMark = "\x81\x59";  // 〆
constexpr std::string_view kKanjiZero = "\x81\x5A";    // 〇
constexpr std::string_view kSmallKe = "\x83\x96";      // ヶ
// Lead bytes of the kanji rows (level 1 and 2, and the extensions after).
constexpr uint8_t kFirstKanjiLead = 0x88;
constexpr uint8_t kLastLowKanjiLead = 0x9F;
constexpr uint8_t kFirstHighKanjiLead = 0xE0;

constexpr uint8_t kHiraganaLead = 0x82;
constexpr uint8_t kFirstHiragana = 0x9F;
constexpr uint8_t kLastHiragana = 0xF1;
constexpr uint8_t kKatakanaLead = 0x83;
constexpr uint8_t kFirstKatakana = 0x40;
constexpr uint8_t kLastKatakana = 0x96;
constexpr std::string_view kLongVowel = "\x81\x5B";  // ー
constexpr std::string_view kSoundMark = "\x81\x4B";  // ゛ and ゜ written apart
constexpr std::string_view kSemiSoundMark = "\x81\x4C";

size_t CharLength(std::string_view text, size_t i) {
  return TextCodec::IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2
                                                                                                : 1;
}

std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

bool IsKana(std::string_view ch) {
  if (ch.size() != 2) return false;
  const auto lead = static_cast<uint8_t>(ch[0]);
  const auto trail = static_cast<uint8_t>(ch[1]);
  if (lead == kHiraganaLead) return trail >= kFirstHiragana && trail <= kLastHiragana;
  if (lead == kKatakanaLead) return trail >= kFirstKatakana && trail <= kLastKatakana;
  return ch == kLongVowel || ch == kSoundMark || ch == kSemiSoundMark;
}

bool IsKanji(std::string_view ch) {
  if (ch.size() != 2) return false;
  const auto lead = static_cast<uint8_t>(ch[0]);
  if ((lead >= kFirstKanjiLead && lead <= kLastLowKanjiLead) || lead >= kFirstHighKanjiLead) {
    return true;
  }
  return ch == kRepeatMark || ch == kClosingMark || ch == kKanjiZero || ch == kSmallKe;
}

bool IsSpace(std::string_view ch) {
  return (ch.size() == 1 && ch[0] == kSpace) || ch == kWideSpace;
}

bool IsControlByte(char c) {
  switch (c) {
    case kLineEnd:
    case kPageStart:
    case kIndent:
    case kVisibleSpace:
    case kOptionalBreak:
    case kRubyOpen:
    case kRubyClose:
    case kHiddenOpen:
    case kHiddenClose:
    case kEscape:
      return true;
    default:
      return false;
  }
}

// Collects the pieces of one text.
class Parser {
 public:
  Parser(std::vector<LyricMarkup::Piece>& out, LyricMarkup::State& state)
      : out_(out), state_(state) {}

  // A remark ends with its event; a reading may go on into the next.
  void Run(std::string_view text) {
    Characters(text);
    DropEmptyText();
  }

 private:
  void Characters(std::string_view text) {
    using Open = LyricMarkup::State::Open;
    for (size_t i = 0; i < text.size();) {
      const size_t len = CharLength(text, i);
      const std::string_view ch = text.substr(i, len);
      i += len;
      if (state_.open != Open::None) {
        ReadingCharacter(ch);
        continue;
      }
      if (remark_) {
        out_.back().shown.append(ch);
        if (ch == kRemarkClose) remark_ = false;
        continue;
      }
      if (len == 2) {
        if (ch == kRemarkOpen) {
          DropEmptyText();
          out_.emplace_back();
          out_.back().remark = true;
          sealed_ = false;
          out_.back().shown.append(ch);
          remark_ = true;
          continue;
        }
        Current().shown.append(ch);
        continue;
      }
      const char c = ch[0];
      if (c == kEscape && i < text.size()) {
        const size_t next = CharLength(text, i);
        Current().shown.append(text.substr(i, next));
        i += next;
        continue;
      }
      switch (c) {
        case kLineEnd:
        case kCarriageReturn:
          Control(LyricMarkup::Kind::LineEnd);
          break;
        case kPageStart:
        case kLineFeed:
          Control(LyricMarkup::Kind::PageStart);
          break;
        case kIndent:
          Control(LyricMarkup::Kind::Indent);
          break;
        case kOptionalBreak:
          Control(LyricMarkup::Kind::OptionalBreak);
          break;
        case kVisibleSpace:
          Current().shown.push_back(kSpace);
          break;
        case kRubyOpen:
          OpenReading(Open::Ruby);
          break;
        case kHiddenOpen:
          OpenReading(Open::HiddenReading);
          break;
        case kRubyClose:
        case kHiddenClose:
        case kEscape:
          break;  // a bracket that closes nothing is dropped
        default:
          if (static_cast<uint8_t>(c) >= kFirstPrintable && static_cast<uint8_t>(c) != kDelete) {
            Current().shown.push_back(c);
          }
      }
    }
  }

  LyricMarkup::Piece& Current() {
    if (out_.empty() || out_.back().kind != LyricMarkup::Kind::Text || out_.back().remark ||
        sealed_) {
      out_.emplace_back();
      sealed_ = false;
    }
    return out_.back();
  }

  void DropEmptyText() {
    if (!out_.empty() && out_.back().kind == LyricMarkup::Kind::Text && out_.back().shown.empty() &&
        out_.back().reading.empty() && !out_.back().readingContinued) {
      out_.pop_back();
    }
  }

  void Control(LyricMarkup::Kind kind) {
    DropEmptyText();
    LyricMarkup::Piece piece;
    piece.kind = kind;
    out_.push_back(std::move(piece));
    sealed_ = false;
  }

  // "[" or "(": the reading belongs to the kanji just before (ruby) or to
  // the whole text before in the event (hidden reading); with nothing before
  // it the reading is plain text.
  void OpenReading(LyricMarkup::State::Open open) {
    state_.open = open;
    if (out_.empty() || out_.back().kind != LyricMarkup::Kind::Text || out_.back().remark ||
        sealed_ || out_.back().shown.empty()) {
      out_.emplace_back();
      target_ = out_.size() - 1;
      baseless_ = true;
      return;
    }
    baseless_ = false;
    LyricMarkup::Piece& before = out_.back();
    size_t start = 0;
    if (open == LyricMarkup::State::Open::Ruby) {
      start = LyricMarkup::KanjiRunStart(before.shown, before.shown.size());
      if (start == before.shown.size()) {
        // No kanji: the one character before carries the ruby.
        size_t last = 0;
        for (size_t i = 0; i < before.shown.size(); i += CharLength(before.shown, i)) {
          last = i;
        }
        start = last;
      }
    }
    LyricMarkup::Piece base;
    base.shown = before.shown.substr(start);
    base.readingShown = open == LyricMarkup::State::Open::Ruby;
    before.shown.resize(start);
    if (before.shown.empty()) {
      before = std::move(base);
    } else {
      out_.push_back(std::move(base));
    }
    target_ = out_.size() - 1;
  }

  void CloseReading() {
    state_.open = LyricMarkup::State::Open::None;
    target_ = kNone;
    sealed_ = true;  // text after the bracket is a piece of its own
  }

  // A character while a reading is open: kana and spaces belong to it; the
  // closing bracket ends it; anything else ends it too (a bracket left open)
  // and is read as text.
  void ReadingCharacter(std::string_view ch) {
    using Open = LyricMarkup::State::Open;
    const bool closes =
        ch.size() == 1 && ((state_.open == Open::Ruby && ch[0] == kRubyClose) ||
                           (state_.open == Open::HiddenReading && ch[0] == kHiddenClose));
    if (closes) {
      CloseReading();
      return;
    }
    if (IsSpace(ch)) return;
    if (ch.size() == 1 && (ch[0] == kRubyOpen || ch[0] == kHiddenOpen)) return;  // nested
    const bool kana = IsKana(ch) || (ch.size() == 1 && !IsControlByte(ch[0]) &&
                                     static_cast<uint8_t>(ch[0]) >= kFirstPrintable &&
                                     static_cast<uint8_t>(ch[0]) != kDelete);
    if (!kana) {
      CloseReading();
      if (ch.size() == 1) {
        Characters(ch);  // the control acts as written; a reading it opens stays
      } else {
        Current().shown.append(ch);
      }
      return;
    }
    if (target_ == kNone) {
      // The reading goes on from an event before.
      LyricMarkup::Piece more;
      more.readingContinued = true;
      more.readingShown = state_.open == Open::Ruby;
      out_.push_back(std::move(more));
      target_ = out_.size() - 1;
      baseless_ = false;
    }
    LyricMarkup::Piece& piece = out_[target_];
    (baseless_ ? piece.shown : piece.reading).append(ch);
  }

  static constexpr size_t kNone = static_cast<size_t>(-1);

  std::vector<LyricMarkup::Piece>& out_;
  LyricMarkup::State& state_;
  bool remark_ = false;
  bool baseless_ = false;  // the open reading has no text before it
  bool sealed_ = false;    // the last piece took a reading and is complete
  size_t target_ = kNone;  // the piece the open reading belongs to
};

}  // namespace

std::string LyricMarkup::Piece::Sung() const {
  if (kind != Kind::Text || remark) return {};
  if (!reading.empty() || readingContinued) return reading;
  std::string sung;
  for (size_t i = 0; i < shown.size();) {
    const size_t len = CharLength(shown, i);
    const std::string_view ch = std::string_view(shown).substr(i, len);
    if (!IsSpace(ch)) sung.append(ch);
    i += len;
  }
  return sung;
}

std::vector<LyricMarkup::Piece> LyricMarkup::Parse(std::string_view cp932, State& state) {
  std::vector<Piece> pieces;
  Parser(pieces, state).Run(UpToZero(cp932));
  return pieces;
}

std::vector<LyricMarkup::Piece> LyricMarkup::Parse(std::string_view cp932) {
  State state;
  return Parse(cp932, state);
}

std::string LyricMarkup::SungText(const std::vector<Piece>& pieces) {
  std::string sung;
  for (const Piece& p : pieces) sung += p.Sung();
  return sung;
}

std::string LyricMarkup::ShownText(const std::vector<Piece>& pieces) {
  std::string shown;
  for (const Piece& p : pieces) shown += p.shown;
  return shown;
}

bool LyricMarkup::HasKind(const std::vector<Piece>& pieces, Kind kind) {
  for (const Piece& p : pieces) {
    if (p.kind == kind) return true;
  }
  return false;
}

bool LyricMarkup::IsBlank(std::string_view cp932) {
  cp932 = UpToZero(cp932);
  for (size_t i = 0; i < cp932.size();) {
    const size_t len = CharLength(cp932, i);
    if (!IsSpace(cp932.substr(i, len))) return false;
    i += len;
  }
  return true;
}

size_t LyricMarkup::KanjiRunStart(std::string_view cp932, size_t end) {
  size_t runStart = end;
  for (size_t i = 0; i < end;) {
    const size_t len = CharLength(cp932, i);
    if (IsKanji(cp932.substr(i, len))) {
      if (runStart == end) runStart = i;
    } else {
      runStart = end;
    }
    i += len;
  }
  return runStart;
}

}  // namespace crx
