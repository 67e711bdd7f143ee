#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// The reader of the headless commands' arguments: flags, options that take
// the next argument as their value, and operands, read left to right. The
// first problem stops the reading; "--help"/"-h" and "--version" answer at
// the point they stand. Each command keeps its own usage text and prints.
class CommandLine {
 public:
  // Checks and keeps an option's value; returns why it is refused, or "".
  using TakeValue = std::function<std::string(const std::string& value)>;

  enum class Request { Run, Help, Version };

  struct Parsed {
    Request request = Request::Run;
    std::string error;  // the first problem, as the command shows it
    std::vector<std::string> operands;
    bool Ok() const { return error.empty(); }
  };

  CommandLine& Flag(std::initializer_list<std::string_view> names, std::function<void()> set);
  CommandLine& Value(std::initializer_list<std::string_view> names, TakeValue take);
  // Unknown arguments starting with "--" are refused; with this, a single
  // "-" prefix is an operand (a path), as for a program that takes
  // file names only.
  CommandLine& DoubleDashOptionsOnly();

  Parsed Parse(const std::vector<std::string>& args) const;

  // What a command prints for a help or version request: its usage text, or
  // "<program> <version>" on a line; nothing for a run.
  static std::string Answer(const Parsed& parsed, std::string_view usage, std::string_view program);

 private:
  struct Option {
    std::vector<std::string> names;
    std::function<void()> set;
    TakeValue take;
  };
  const Option* Find(const std::string& name) const;

  std::vector<Option> options_;
  bool doubleDashOnly_ = false;
};

}  // namespace crx
