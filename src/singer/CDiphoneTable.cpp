#include "singer/CDiphoneTable.h"

#include <array>
#include <unordered_set>
#include <vector>

namespace crx {
namespace {

// A phone and the phones it joins to, separated by blanks.
struct DiphoneRow {
  const char* phone;
  const char* next;
};

// clang-format off
// jp1: 375 diphones.
constexpr DiphoneRow kJp1[] = {
    {"_", "_ a i u e o b d dZ f g G h j k m n p rr s S t tS ts v w z"},
    {"a", "_ a i u e o b d dZ f g G h j k m n N p rr s S t tS ts v w z Qd Qk Qp Qs QS Qt"},
    {"i", "_ a i u e o b d dZ f g G h j k m n N p rr s S t tS ts v w z Qd Qk Qp Qs QS Qt"},
    {"u", "_ a i u e o b d dZ g G h j k m n N p rr s S t tS ts v w z Qk Qp Qs QS Qt Qts"},
    {"e", "_ a i u e o b d dZ f g G h j k m n N p rr s S t tS ts v w z Qd Qk Qp Qs QS Qt"},
    {"o", "_ a i u e o b d dZ f g G h j k m n N p rr s S t tS ts w z Qk Qp Qt"},
    {"b", "a i u e o j"},
    {"d", "a i u e o j"},
    {"dZ", "a i u e o"},
    {"f", "a i u e o"},
    {"g", "a i u e o j"},
    {"G", "a i u e o"},
    {"h", "a i u e o j"},
    {"j", "a i u e o"},
    {"k", "_ a i u e o j p s S t"},
    {"m", "a i u e o j"},
    {"n", "a i u e o j"},
    {"N", "_ a i u e o b d dZ g h j k m n p rr s S t tS ts v w z"},
    {"p", "a i u e o j"},
    {"rr", "a i u e o j"},
    {"s", "_ a i u e o k p t"},
    {"S", "_ a i u e o k s t ts"},
    {"t", "a i u e o"},
    {"tS", "_ a i u e o k p t"},
    {"ts", "_ u k S t"},
    {"v", "a i u e o"},
    {"w", "a i"},
    {"z", "a i u e o"},
    {"Qd", "o"},
    {"Qk", "a i u e o ts"},
    {"Qp", "a i u e o"},
    {"Qs", "a e o"},
    {"QS", "a i u o t ts"},
    {"Qt", "a e o"},
    {"QtS", "a i o k"},
    {"Qts", "u"},
};
// jp2: 879 diphones.
constexpr DiphoneRow kJp2[] = {
    {"_", "_ a i u e o a: i: u: e: o: p t k b d g f s S C h v ts tS dz dZ m n n1 r j w"},
    {"a", "_ a i u e o a: i: u: e: o: p t k b d g f s S C h v z Z ts tS m n n1 G m: n: n1: G: N: r j w Qd QdZ Qf Qg Qh Qk Qp Qs QS Qt QtS Qts"},
    {"i", "_ a i u e o a: i: e: o: p t k b d g f s S C h v z Z ts tS m n n1 G m: n: n1: G: N: r j w QC Qd QdZ Qdz Qg Qk Qp Qs QS Qt QtS Qts"},
    {"u", "_ a i u e o a: i: u: e: o: p t k b d g f s S C h v z Z ts tS m n n1 G m: n: n1: G: N: r j w Qd QdZ Qdz Qf Qk Qp Qs QS Qt QtS Qts"},
    {"e", "_ a i u e o a: i: e: o: p t k b d g f s S C h v z Z ts tS m n n1 G m: n: n1: G: N: r j w QC Qd QdZ Qf Qg Qh Qk Qp Qs QS Qt QtS Qts"},
    {"o", "_ a i u e o a: i: u: e: o: p t k b d g f s S C h v z Z ts tS m n n1 G m: n: n1: G: N: r j w Qd QdZ Qdz Qf Qg Qh Qk Qp Qs QS Qt QtS Qts"},
    {"a:", "_ a i u e o a: u: e: o: p t k b d g f s S C h v z Z ts tS m n n1 m: n: n1: G: N: r j w Qt"},
    {"i:", "_ a i u e o a: i: e: o: p t k b d g f s S C h v z Z ts tS m n n1 G m: n: n1: G: N: r j w Qt"},
    {"u:", "_ a i u e o a: i: e: o: p t k b d g f s S C h v z Z ts tS m n n1 G m: n: n1: G: N: r j w Qt"},
    {"e:", "_ a i u e o a: i: u: e: o: p t k b d g f s S C h v z Z ts tS m n n1 G m: n: n1: G: N: r j w Qt"},
    {"o:", "_ a i u e o a: i: e: o: p t k b d g f s S C h v z Z ts tS m n n1 G m: n: n1: N: r j w Qk Qt"},
    {"i_0", "_ p t k f s S C h ts tS"},
    {"u_0", "_ p t k f s S C h ts tS"},
    {"p", "a i u e o a: i: u: e: o: i_0 u_0 j"},
    {"t", "a i u e o a: i: u: e: o: j"},
    {"k", "a i u e o a: i: u: e: o: i_0 u_0 j"},
    {"b", "a i u e o a: i: u: e: o: j"},
    {"d", "a i e o a: i: u: e: o: j"},
    {"g", "a i u e o a: i: u: e: o: j"},
    {"f", "a i u e o a: i: u: e: o: u_0"},
    {"s", "a u e o a: u: e: o: u_0"},
    {"S", "a i u e o a: i: u: e: o: i_0 u_0"},
    {"C", "a i u o a: i: u: o: i_0"},
    {"h", "a e o a: e: o:"},
    {"v", "a i u e o a: i: e: o:"},
    {"z", "a u e o a: u: e: o:"},
    {"Z", "a i u e o a: i: u: e: o:"},
    {"ts", "a i u e o a: u: o: u_0"},
    {"tS", "a i u e o a: i: u: e: o: i_0 u_0"},
    {"dz", "a u e o a: u: e: o:"},
    {"dZ", "a i u e o a: i: u: e: o:"},
    {"m", "a i u e o a: i: u: e: o: j"},
    {"n", "a u e o a: u: e: o:"},
    {"n1", "a i u o a: i: u: o:"},
    {"G", "a i u e o u: e: o: j"},
    {"m:", "p b m"},
    {"n:", "t d ts tS dz dZ n r"},
    {"n1:", "n1"},
    {"G:", "k g G"},
    {"N:", "_ a i u e o a: i: u: e: o: f s S C h v j w"},
    {"r", "a i u e o a: i: u: e: o: j"},
    {"j", "a u o a: u: o:"},
    {"w", "a i e o a: i: e: o:"},
    {"QC", "i a: i_0"},
    {"Qd", "a i e o a: i:"},
    {"QdZ", "i e: o:"},
    {"Qdz", "u"},
    {"Qf", "a u e o a: o: u_0"},
    {"Qg", "u"},
    {"Qh", "a e o a: o:"},
    {"Qk", "a i u e o a: i: u: e: o: i_0 u_0 j"},
    {"Qp", "a i u e o a: i: u: e: o: i_0 u_0 j"},
    {"Qs", "a u e o a: u: e: o: u_0"},
    {"QS", "a i u e o a: i: u: o: i_0 u_0"},
    {"Qt", "a i e o a: i: e: o:"},
    {"QtS", "a i u e o a: i: u: e: o: i_0"},
    {"Qts", "a u e o a: u: u_0"},
};
// jp3: 371 diphones.
constexpr DiphoneRow kJp3[] = {
    {"_", "_ a i u e o b d dZ f g h j k m n p rr s S t tS ts v w z ng"},
    {"a", "_ a i u e o b d dZ f g h j k m n N p rr s S t tS ts v w z Qd Qk Qp Qs QS Qt ng"},
    {"i", "_ a i u e o b d dZ f g h j k m n N p rr s S t tS ts v w z Qd Qk Qp Qs QS Qt ng"},
    {"u", "_ a i u e o b d dZ g h j k m n N p rr s S t tS ts v w z Qk Qp Qs QS Qt Qts ng"},
    {"e", "_ a i u e o b d dZ f g h j k m n N p rr s S t tS ts v w z Qk Qp Qs QS Qt ng"},
    {"o", "_ a i u e o b d dZ f g h j k m n N p rr s S t tS ts w z Qk Qp Qt"},
    {"b", "a i u e o j"},
    {"d", "a i u e o j"},
    {"dZ", "a i u e o"},
    {"f", "a i u e o"},
    {"g", "a i u e o j"},
    {"h", "a i u e o j"},
    {"j", "a i u e o"},
    {"k", "_ a i u e o j p s S"},
    {"m", "a i u e o j"},
    {"n", "a i u e o j"},
    {"N", "_ a i u e o b d dZ g h j k m n p rr s S t tS ts v w z ng"},
    {"p", "a i u e o j"},
    {"rr", "a i u e o j"},
    {"s", "_ a i u e o k p t"},
    {"S", "_ a i u e o k s t ts"},
    {"t", "a i u e o"},
    {"tS", "_ a i u e o k p t"},
    {"ts", "_ u k S t"},
    {"v", "a i u e o"},
    {"w", "a i"},
    {"z", "a i u e o"},
    {"Qd", "o"},
    {"Qk", "a i u e o"},
    {"Qp", "a i u e o"},
    {"Qs", "a e o"},
    {"QS", "a i u o ts"},
    {"Qt", "a e o"},
    {"QtS", "a i o"},
    {"Qts", "u"},
    {"ng", "a i u e o j"},
};
// clang-format on

struct VoiceTable {
  std::vector<std::string> phones;
  std::unordered_set<std::string> pairs;  // "a b"
};

VoiceTable Build(std::span<const DiphoneRow> rows) {
  VoiceTable t;
  for (const DiphoneRow& row : rows) t.phones.emplace_back(row.phone);
  for (const DiphoneRow& row : rows) {
    const std::string_view next = row.next;
    size_t from = 0;
    while (from < next.size()) {
      size_t blank = next.find(' ', from);
      if (blank == std::string_view::npos) blank = next.size();
      if (blank > from)
        t.pairs.insert(std::string(row.phone) + " " + std::string(next.substr(from, blank - from)));
      from = blank + 1;
    }
  }
  return t;
}

const VoiceTable& Table(DiphoneVoice voice) {
  static const std::array<VoiceTable, 3> tables = {Build(kJp1), Build(kJp2), Build(kJp3)};
  return tables[static_cast<size_t>(voice)];
}

}  // namespace

bool CDiphoneTable::Has(DiphoneVoice voice, std::string_view a, std::string_view b) {
  std::string key;
  key.reserve(a.size() + b.size() + 1);
  key.append(a).append(" ").append(b);
  return Table(voice).pairs.count(key) != 0;
}

bool CDiphoneTable::HasPhone(DiphoneVoice voice, std::string_view phone) {
  for (const std::string& p : Table(voice).phones)
    if (p == phone) return true;
  return false;
}

std::span<const std::string> CDiphoneTable::Phones(DiphoneVoice voice) {
  return Table(voice).phones;
}

size_t CDiphoneTable::Count(DiphoneVoice voice) { return Table(voice).pairs.size(); }

}  // namespace crx
