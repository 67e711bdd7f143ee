#include "singer/CPhraseScore.h"

#include <algorithm>
#include <cmath>

namespace crx {
namespace {

const std::string kSilence(CDiphoneTable::kSilence);
// Times closer than this are the same.
constexpr double kTimeEpsilon = 1e-9;
// A short vowel that leads into a moraic nasal the voice cannot start from
// silence.
const std::string kNasalLead = "u";

CPitchCurve::Segment SegmentOf(const ScoreNote& note, double from) {
  CPitchCurve::Segment s;
  s.from = from;
  s.hz = note.hz;
  s.vibratoFrom = note.vibratoFrom;
  s.vibratoCents = note.vibratoCents;
  s.vibratoRate = note.vibratoRate;
  return s;
}

}  // namespace

CPhraseScore::CPhraseScore(DiphoneVoice voice, std::span<const ScoreNote> notes, int sampleRate)
    : voice_(voice), curve_(0, sampleRate) {
  MakeUnits(notes);
  if (units_.empty()) return;
  ChoosePhones();
  Place();
  origin_ = units_.front().onsetStart - kLeadSilenceSeconds;
  curve_ = CPitchCurve(origin_, sampleRate);
  Lay();
}

void CPhraseScore::MakeUnits(std::span<const ScoreNote> notes) {
  using Kind = ScoreNote::Kind;
  for (const ScoreNote& note : notes) {
    if (note.kind == Kind::Hold && !units_.empty() && units_.back().kind != Kind::Closure &&
        note.start - units_.back().end < kLegatoGapSeconds) {
      Unit& held = units_.back();
      held.end = std::max(held.end, note.end);
      held.segments.push_back(SegmentOf(note, note.start));
      continue;
    }
    Unit u;
    u.kind = note.kind;
    u.mora = note.mora;
    if (note.kind == Kind::Hold) {
      u.kind = note.mora.onset == CMbrolaPhonemes::kNasal ? Kind::Nasal : Kind::Mora;
    }
    u.start = note.start;
    u.end = note.end;
    u.segments.push_back(SegmentOf(note, note.start));
    units_.push_back(std::move(u));
  }
  for (size_t i = 0; i + 1 < units_.size(); ++i) {
    Unit& u = units_[i];
    u.end = std::min(u.end, units_[i + 1].start);
    u.legatoNext = units_[i + 1].start - u.end < kLegatoGapSeconds;
  }
}

bool CPhraseScore::Joins(const std::string& from, const std::vector<std::string>& phones) const {
  const std::string* previous = &from;
  for (const std::string& p : phones) {
    if (!CDiphoneTable::Has(voice_, *previous, p)) return false;
    previous = &p;
  }
  return true;
}

void CPhraseScore::ChoosePhones() {
  using Kind = ScoreNote::Kind;
  std::string previous = kSilence;
  for (size_t i = 0; i < units_.size(); ++i) {
    Unit& u = units_[i];
    if (i > 0 && !units_[i - 1].legatoNext) previous = kSilence;
    if (u.kind == Kind::Closure) {
      u.nucleus = kSilence;
      previous = kSilence;
      continue;
    }
    if (u.kind == Kind::Nasal) {
      // What the nasal leads into decides its place.
      std::vector<std::vector<std::string>> next;
      if (u.legatoNext && i + 1 < units_.size()) {
        const Unit& n = units_[i + 1];
        if (n.kind == Kind::Mora) {
          for (auto onset : CMbrolaPhonemes::Onsets(voice_, n.mora, true)) {
            for (const std::string& v : CMbrolaPhonemes::Vowels(voice_, n.mora.vowel)) {
              next.push_back(onset);
              next.back().push_back(v);
            }
          }
        } else if (n.kind == Kind::Nasal) {
          for (const std::string& nasal : CMbrolaPhonemes::Nasals(voice_, kSilence))
            next.push_back({nasal});
        }
      }
      if (next.empty()) next.push_back({kSilence});
      const std::vector<std::string> nasals = CMbrolaPhonemes::Nasals(voice_, next.front().front());
      int best = -1;
      bool bridged = false;
      for (size_t k = 0; k < nasals.size() && best < 1; ++k) {
        const std::string& n = nasals[k];
        const bool direct = CDiphoneTable::Has(voice_, previous, n);
        const bool bridge = !direct && Joins(previous, {kNasalLead, n});
        if (!direct && !bridge) continue;
        const bool leads =
            std::any_of(next.begin(), next.end(),
                        [&](const std::vector<std::string>& f) { return Joins(n, f); });
        if (best < 0 || leads) {
          u.nucleus = n;
          bridged = bridge;
          best = leads ? 1 : 0;
        }
      }
      if (best < 0) u.nucleus = nasals.front();
      if (bridged) u.onset = {kNasalLead};
      previous = u.nucleus;
      continue;
    }
    const bool afterPause = previous == kSilence || CMbrolaPhonemes::IsNasal(previous);
    const std::vector<std::string> vowels = CMbrolaPhonemes::Vowels(voice_, u.mora.vowel);
    bool found = false;
    // First as it is, then after a short silence.
    for (int pass = 0; pass < 2 && !found; ++pass) {
      const bool bridge = pass == 1;
      if (bridge && (previous == kSilence || !CDiphoneTable::Has(voice_, previous, kSilence)))
        continue;
      const auto onsets = CMbrolaPhonemes::Onsets(voice_, u.mora, afterPause || bridge);
      for (size_t k = 0; k < onsets.size() && !found; ++k) {
        for (const std::string& v : vowels) {
          std::vector<std::string> phones = onsets[k];
          phones.push_back(v);
          if (!Joins(bridge ? kSilence : previous, phones)) continue;
          phones.pop_back();
          if (bridge) phones.insert(phones.begin(), kSilence);
          u.onset = std::move(phones);
          u.nucleus = v;
          found = true;
          break;
        }
      }
    }
    if (!found) {
      // Nothing joins: the first way, and the synthesizer's silence where it
      // does not.
      u.onset = CMbrolaPhonemes::Onsets(voice_, u.mora, afterPause).front();
      u.nucleus = vowels.front();
    }
    previous = u.nucleus;
  }
}

void CPhraseScore::Place() {
  using Kind = ScoreNote::Kind;
  for (size_t i = 0; i < units_.size(); ++i) {
    Unit& u = units_[i];
    double nominal = 0;
    for (const std::string& p : u.onset) nominal += CMbrolaPhonemes::OnsetSeconds(p);
    double available = nominal;
    if (i > 0) {
      const Unit& before = units_[i - 1];
      if (!before.legatoNext) {
        available = u.start - before.end - kShortestPhoneSeconds;
      } else if (before.kind == Kind::Closure) {
        available = u.start - before.start - kShortestPhoneSeconds;
      } else {
        available = kOnsetShareOfPrevious * (u.start - before.start);
      }
    }
    const double scale =
        nominal > available && nominal > 0 ? std::max(0.0, available) / nominal : 1;
    double lead = 0;
    u.onsetLengths.clear();
    for (const std::string& p : u.onset) {
      const double length =
          std::max(kShortestPhoneSeconds, CMbrolaPhonemes::OnsetSeconds(p) * scale);
      u.onsetLengths.push_back(length);
      lead += length;
    }
    double lag = 0;
    if (u.kind == Kind::Mora && !u.onset.empty()) {
      const bool afterPause =
          i == 0 || !units_[i - 1].legatoNext || units_[i - 1].kind == Kind::Closure;
      lag = CMbrolaPhonemes::VoicingLag(voice_, u.onset.back(), afterPause);
      if (i > 0) lag = std::min(lag, kMostLagShare * (u.start - units_[i - 1].start));
      lag = std::max(lag, -kMostLagShare * (u.end - u.start));
    }
    u.nucleusStart = u.start - lag;
    u.onsetStart = u.nucleusStart - lead;
  }
  for (size_t i = 0; i < units_.size(); ++i) {
    Unit& u = units_[i];
    if (u.legatoNext && i + 1 < units_.size()) {
      u.nucleusEnd = units_[i + 1].onsetStart;
    } else if (u.kind != Kind::Closure &&
               u.end - kReleaseSeconds - u.start >= kShortestPhoneSeconds) {
      u.nucleusEnd = u.end - kReleaseSeconds;
    } else {
      u.nucleusEnd = u.end;
    }
    u.nucleusEnd = std::max(u.nucleusEnd, u.nucleusStart + kShortestPhoneSeconds);
  }
}

void CPhraseScore::Lay() {
  using Kind = ScoreNote::Kind;
  std::vector<ScorePhone> laid;
  auto push = [&](const std::string& symbol, double from, double to) {
    if (to > from) laid.push_back({symbol, from, to});
  };
  push(kSilence, origin_, units_.front().onsetStart);
  for (size_t i = 0; i < units_.size(); ++i) {
    const Unit& u = units_[i];
    double t = u.onsetStart;
    for (size_t k = 0; k < u.onset.size(); ++k) {
      push(u.onset[k], t, t + u.onsetLengths[k]);
      t += u.onsetLengths[k];
    }
    const double length = u.nucleusEnd - u.nucleusStart;
    double highest = 0;
    for (const CPitchCurve::Segment& s : u.segments) highest = std::max(highest, s.hz);
    if (u.kind == Kind::Closure) {
      push(kSilence, u.nucleusStart, u.nucleusEnd);
    } else if (u.kind == Kind::Nasal) {
      const double longest = highest > 0 ? kMostNasalPeriods / highest : length;
      push(u.nucleus, u.nucleusStart, u.nucleusStart + std::min(length, longest));
      push(kSilence, u.nucleusStart + std::min(length, longest), u.nucleusEnd);
    } else if (length > kSplitFromSeconds) {
      // Held on the vowel itself, or on the plain vowel where a long symbol
      // does not join itself; failing both, held only as long as the
      // synthesizer can.
      const std::string plain(1, u.mora.vowel);
      std::string held;
      if (CDiphoneTable::Has(voice_, u.nucleus, u.nucleus)) {
        held = u.nucleus;
      } else if (CDiphoneTable::Has(voice_, u.nucleus, plain) &&
                 CDiphoneTable::Has(voice_, plain, plain)) {
        held = plain;
      }
      if (held.empty()) {
        const double longest = highest > 0 ? kMostNasalPeriods / highest : length;
        push(u.nucleus, u.nucleusStart, u.nucleusStart + std::min(length, longest));
        push(kSilence, u.nucleusStart + std::min(length, longest), u.nucleusEnd);
      } else {
        const std::string body = CMbrolaPhonemes::BodyOf(voice_, held);
        const double bodyFrom = u.nucleusStart + kHeadSeconds;
        const double bodyTo = u.nucleusEnd - kTailSeconds;
        const double pieces = std::ceil((bodyTo - bodyFrom) / kLongestPieceSeconds);
        const double piece = (bodyTo - bodyFrom) / pieces;
        push(u.nucleus, u.nucleusStart, bodyFrom);
        for (int k = 0; k < static_cast<int>(pieces); ++k) {
          // A long body symbol alternates with the vowel, whose join to
          // itself may dip where the body's does.
          const std::string& symbol = k % 2 == 1 ? held : body;
          push(symbol, bodyFrom + k * piece,
               k + 1 == static_cast<int>(pieces) ? bodyTo : bodyFrom + (k + 1) * piece);
        }
        push(held, bodyTo, u.nucleusEnd);
      }
    } else {
      push(u.nucleus, u.nucleusStart, u.nucleusEnd);
    }
    if (u.kind != Kind::Closure) {
      const double soundEnd =
          u.legatoNext && i + 1 < units_.size() ? units_[i + 1].onsetStart : u.end;
      sounding_.emplace_back(u.onsetStart, std::max(soundEnd, u.nucleusEnd));
      sung_.emplace_back(u.start, std::min(u.nucleusEnd, std::max(u.end, u.start)));
      for (size_t k = 0; k < u.segments.size(); ++k) {
        CPitchCurve::Segment s = u.segments[k];
        if (k == 0) s.from = u.onsetStart;
        curve_.Add(s);
      }
    }
    if (!u.legatoNext || i + 1 == units_.size()) {
      const double to = i + 1 < units_.size()
                            ? units_[i + 1].onsetStart
                            : std::max(u.end, u.nucleusEnd) + kTrailSilenceSeconds;
      push(kSilence, u.nucleusEnd, to);
    }
  }
  // Each phone starts where the one before ends; neighbouring silences
  // become one; a phone too short to keep, whose neighbour cannot lend it
  // time, gives its time to the phone before it.
  for (ScorePhone p : laid) {
    if (phones_.empty()) {
      phones_.push_back(p);
      continue;
    }
    ScorePhone& last = phones_.back();
    if (p.start > last.end) last.end = p.start;
    p.start = last.end;
    if (p.end <= p.start) continue;
    if (last.symbol == kSilence && p.symbol == kSilence) {
      last.end = p.end;
      continue;
    }
    // A phone too short takes what it lacks from the phone before, where
    // that one can spare it.
    const double lacking = kShortestPhoneSeconds - (p.end - p.start);
    if (lacking > 0 && last.end - last.start - lacking >= kShortestPhoneSeconds) {
      last.end -= lacking;
      p.start = last.end;
    }
    if (p.end - p.start < kShortestPhoneSeconds - kTimeEpsilon) {
      last.end = p.end;
    } else if (last.end - last.start < kShortestPhoneSeconds - kTimeEpsilon) {
      last.symbol = p.symbol;
      last.end = p.end;
    } else {
      phones_.push_back(p);
    }
  }
  for (size_t i = 0; i + 1 < phones_.size(); ++i) {
    const std::string& a = phones_[i].symbol;
    const std::string& b = phones_[i + 1].symbol;
    if (CDiphoneTable::Has(voice_, a, b)) continue;
    const std::string pair = a + "-" + b;
    if (std::find(unjoined_.begin(), unjoined_.end(), pair) == unjoined_.end())
      unjoined_.push_back(pair);
  }
}

std::vector<PhoPhone> CPhraseScore::PhoPhones() const {
  std::vector<PhoPhone> out;
  out.reserve(phones_.size());
  for (const ScorePhone& p : phones_) {
    PhoPhone phone{p.symbol, p.end - p.start, {}};
    if (p.symbol != kSilence) phone.points = curve_.Points(p.start, p.end);
    out.push_back(std::move(phone));
  }
  return out;
}

}  // namespace crx
