#include "platform/ProgressLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace crx {
namespace {

TEST(ProgressLine, ReadsOnlyTheNamedProgramsPercentLines) {
  struct Case {
    const char* line;
    int percent;
  };
  const Case cases[] = {
      {"Renderer: 0%", 0},
      {"Renderer: 100%", 100},
      {"Renderer:   7%", 7},  // the padded form of a terminal
      {"Renderer: 101%", -1},
      {"Renderer: -5%", -1},
      {"Renderer: 40", -1},
      {"Renderer: 40%!", -1},
      {"Renderer: cannot write x.wav", -1},
      {"Render: 40%", -1},
      {"RendererX: 40%", -1},
      {"", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressLine::PercentOf("Renderer", c.line), c.percent) << c.line;
  }
  EXPECT_EQ(ProgressLine::PercentOf("", ": 40%"), ProgressLine::kNotProgress);
}

// Away from a terminal: a line every ten percent and one at the end, each
// read back as the percent shown.
TEST(ProgressLine, WritesALineEveryTenPercentThatReadsBack) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    ProgressLine line("Renderer", file);
    for (int percent : {0, 5, 9, 10, 19, 25, 31, 95, 99, 100, 100}) line.Show(percent);
  }
  std::string text(256, '\0');
  std::rewind(file);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  EXPECT_EQ(text, "Renderer: 0%\nRenderer: 10%\nRenderer: 25%\nRenderer: 95%\nRenderer: 100%\n");
  EXPECT_EQ(ProgressLine::PercentOf("Renderer", "Renderer: 95%"), 95);
}

}  // namespace
}  // namespace crx
