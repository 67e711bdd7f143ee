#include "foundation/CommandLine.h"

#include <utility>

namespace crx {

CommandLine& CommandLine::Flag(std::initializer_list<std::string_view> names,
                               std::function<void()> set) {
  options_.push_back({{names.begin(), names.end()}, std::move(set), nullptr});
  return *this;
}

CommandLine& CommandLine::Value(std::initializer_list<std::string_view> names, TakeValue take) {
  options_.push_back({{names.begin(), names.end()}, nullptr, std::move(take)});
  return *this;
}

CommandLine& CommandLine::DoubleDashOptionsOnly() {
  doubleDashOnly_ = true;
  return *this;
}

const CommandLine::Option* CommandLine::Find(const std::string& name) const {
  for (const Option& o : options_) {
    for (const std::string& n : o.names) {
      if (n == name) return &o;
    }
  }
  return nullptr;
}

CommandLine::Parsed CommandLine::Parse(const std::vector<std::string>& args) const {
  Parsed parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      parsed.request = Request::Help;
      return parsed;
    }
    if (a == "--version") {
      parsed.request = Request::Version;
      return parsed;
    }
    if (const Option* o = Find(a)) {
      if (o->set) {
        o->set();
        continue;
      }
      if (i + 1 >= args.size()) {
        parsed.error = a + " needs a value";
        return parsed;
      }
      parsed.error = o->take(args[++i]);
      if (!parsed.Ok()) return parsed;
      continue;
    }
    const bool looksLikeOption = a.size() > 1 && a[0] == '-' && (!doubleDashOnly_ || a[1] == '-');
    if (looksLikeOption) {
      parsed.error = "unknown option " + a;
      return parsed;
    }
    parsed.operands.push_back(a);
  }
  return parsed;
}

std::string CommandLine::Answer(const Parsed& parsed, std::string_view usage,
                                std::string_view program) {
  switch (parsed.request) {
    case Request::Help:
      return std::string(usage);
    case Request::Version:
      return std::string(program) + " " + CRX_VERSION + "\n";
    case Request::Run:
      break;
  }
  return {};
}

}  // namespace crx
