#include <gtest/gtest.h>

#include "foundation/CommandLine.h"

namespace crx {
namespace {

struct Seen {
  bool quiet = false;
  std::string level;
};

CommandLine Reader(Seen& seen) {
  CommandLine cl;
  cl.Flag({"--quiet", "-q"}, [&] {
      seen.quiet = true;
    }).Value({"--level"}, [&](const std::string& v) -> std::string {
    if (v != "low" && v != "high") return "--level is low or high: " + v;
    seen.level = v;
    return {};
  });
  return cl;
}

TEST(CommandLine, ReadsFlagsValuesAndOperandsInOrder) {
  Seen seen;
  const auto p = Reader(seen).Parse({"a.mid", "-q", "--level", "high", "b.mid"});
  EXPECT_TRUE(p.Ok());
  EXPECT_EQ(p.request, CommandLine::Request::Run);
  EXPECT_EQ(p.operands, (std::vector<std::string>{"a.mid", "b.mid"}));
  EXPECT_TRUE(seen.quiet);
  EXPECT_EQ(seen.level, "high");
}

TEST(CommandLine, TheFirstProblemStopsTheReading) {
  Seen seen;
  EXPECT_EQ(Reader(seen).Parse({"--level"}).error, "--level needs a value");
  EXPECT_EQ(Reader(seen).Parse({"--level", "mid", "--bogus"}).error, "--level is low or high: mid");
  EXPECT_EQ(Reader(seen).Parse({"--bogus", "--level", "mid"}).error, "unknown option --bogus");
  EXPECT_EQ(Reader(seen).Parse({"-x"}).error, "unknown option -x");
  // A lone "-" is an operand (standard input or a file named so).
  EXPECT_EQ(Reader(seen).Parse({"-"}).operands, std::vector<std::string>{"-"});
}

TEST(CommandLine, HelpAndVersionAnswerWhereTheyStand) {
  Seen seen;
  EXPECT_EQ(Reader(seen).Parse({"x", "-h", "--bogus"}).request, CommandLine::Request::Help);
  EXPECT_EQ(Reader(seen).Parse({"--version"}).request, CommandLine::Request::Version);
  // A problem before them is reported first.
  const auto p = Reader(seen).Parse({"--bogus", "--help"});
  EXPECT_EQ(p.request, CommandLine::Request::Run);
  EXPECT_EQ(p.error, "unknown option --bogus");
}

TEST(CommandLine, SingleDashNamesCanBeOperands) {
  Seen seen;
  CommandLine cl = Reader(seen);
  cl.DoubleDashOptionsOnly();
  const auto p = cl.Parse({"-take1.mid", "--nope"});
  EXPECT_EQ(p.operands, std::vector<std::string>{"-take1.mid"});
  EXPECT_EQ(p.error, "unknown option --nope");
}

}  // namespace
}  // namespace crx
