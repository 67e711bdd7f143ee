#include <gtest/gtest.h>

#include <thread>

#include "foundation/Diagnostics.h"
#include "foundation/ModuleReporter.h"
#include "support/platform/ScriptedHost.h"

namespace crx {
namespace {

constexpr ErrorEntry kTable[] = {{0x01, "一つめ"}, {0x02, "二つめ"}};

TEST(Diagnostics, CollectorsGatherInOrderNestAndForwardToTheHost) {
  ScriptedHost host;
  ScopedUi scope(host);
  ModuleReporter reporter("TEST", kTable, "既定");
  {
    DiagnosticCollector outer;
    reporter.Report(0x02);
    {
      DiagnosticCollector inner;
      ReportPlain("内側");
      reporter.Report(0x01);
      EXPECT_TRUE(inner.Contains("TEST", 0x01));
      EXPECT_FALSE(inner.Contains("TEST", 0x02));
      inner.Forward();
      EXPECT_TRUE(inner.Empty());
    }
    ASSERT_EQ(outer.Items().size(), 3u);
    EXPECT_EQ(outer.Items()[0].text, "TEST00000002 二つめ");
    EXPECT_EQ(outer.Items()[1].kind, DiagnosticKind::Plain);
    EXPECT_EQ(outer.Items()[2].code, 0x01u);
    EXPECT_TRUE(host.Messages().empty());
    outer.Forward();
  }
  ASSERT_EQ(host.Messages().size(), 3u);
  EXPECT_EQ(host.Messages()[1], "内側");
  EXPECT_EQ(host.Records()[0].messageKind, MessageKind::ModuleError);
  // Outside any collector a diagnostic reaches the host at once.
  ReportPlain("直接");
  EXPECT_EQ(host.Messages().back(), "直接");
}

TEST(Diagnostics, ACollectorSeesOnlyItsOwnThread) {
  ScriptedHost host;
  ScopedUi scope(host);
  DiagnosticCollector mine;
  std::thread([] { ReportPlain("別のスレッド"); }).join();
  EXPECT_TRUE(mine.Empty());
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0], "別のスレッド");
}

}  // namespace
}  // namespace crx
