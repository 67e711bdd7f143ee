// Writes a dictionary of the lyric conversion (kanji.csv or english.csv) from
// its readable UTF-8 source: CP932, two columns, CR LF line ends. Checks every
// row first and fails (exit 1, a message on standard error) on a bad one.
//
//   MakeDictionary kanji|english SOURCE.txt OUT.csv
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/TextCodec.h"

namespace {

// Limits of the readers: a candidate of the kanji dictionary holds 63 bytes,
// a list cell 254.
constexpr size_t kKanjiCellLimit = 63;
constexpr size_t kListCellLimit = 254;

struct Row {
  std::string written;  // CP932
  std::string reading;  // CP932
};

bool OnlyLowerAscii(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool OnlyDoubleByte(const std::string& cp932) {
  for (size_t i = 0; i < cp932.size(); i += 2) {
    if (i + 1 >= cp932.size() ||
        !crx::TextCodec::IsCp932LeadByte(static_cast<unsigned char>(cp932[i]))) {
      return false;
    }
  }
  return !cp932.empty();
}

int Fail(const std::string& source, int line, const std::string& why) {
  std::cerr << source << ":" << line << ": " << why << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (std::string(argv[1]) != "kanji" && std::string(argv[1]) != "english")) {
    std::cerr << "usage: MakeDictionary kanji|english SOURCE.txt OUT.csv\n";
    return 1;
  }
  const bool kanji = std::string(argv[1]) == "kanji";
  const std::string source = argv[2];
  std::ifstream in(source, std::ios::binary);
  if (!in) return Fail(source, 0, "cannot be read");

  std::vector<Row> rows;
  std::set<std::string> seen;
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t comma = line.find(',');
    if (comma == std::string::npos || line.find(',', comma + 1) != std::string::npos) {
      return Fail(source, lineNo, "a row is two fields separated by one comma");
    }
    if (line.find('"') != std::string::npos || line.find('\\') != std::string::npos) {
      return Fail(source, lineNo, "quotes and backslashes are not used in the dictionaries");
    }
    auto written = crx::TextCodec::Utf8ToCp932(line.substr(0, comma));
    auto reading = crx::TextCodec::Utf8ToCp932(line.substr(comma + 1));
    if (!written || !reading) return Fail(source, lineNo, "a character has no CP932 form");
    if (written->empty() || reading->empty()) return Fail(source, lineNo, "an empty field");
    const size_t limit = kanji ? kKanjiCellLimit : kListCellLimit;
    if (written->size() > limit || reading->size() > limit) {
      return Fail(source, lineNo, "a field is longer than " + std::to_string(limit) + " bytes");
    }
    if (kanji && !OnlyDoubleByte(*reading)) {
      return Fail(source, lineNo, "a reading is made of double-byte kana only");
    }
    if (!kanji && !OnlyLowerAscii(*written)) {
      return Fail(source, lineNo, "an English word is written in lower-case ASCII letters");
    }
    if (!seen.insert(*written).second) return Fail(source, lineNo, "the word stands twice");
    rows.push_back({*written, *reading});
  }

  // Byte order keeps the rows of one first character together, with every
  // longer form after the shorter ones it begins with.
  std::sort(rows.begin(), rows.end(),
            [](const Row& a, const Row& b) { return a.written < b.written; });

  std::ostringstream out;
  for (const Row& r : rows) out << r.written << ',' << r.reading << "\r\n";
  const std::string tmp = std::string(argv[3]) + ".tmp";
  {
    std::ofstream file(tmp, std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file) return Fail(argv[3], 0, "cannot be written");
  }
  if (std::rename(tmp.c_str(), argv[3]) != 0) return Fail(argv[3], 0, "cannot be written");
  return 0;
}
