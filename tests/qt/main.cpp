#include <QTest>

#include "WindowTests.h"
#include "qt/GuiApplication.h"

int main(int argc, char** argv) {
  crx::qt::GuiApplication gui(argc, argv, "test_qt", "org.cantorix.Cantorix");
  int failures = 0;
  crx::test::GuiHostTest host(gui);
  failures += QTest::qExec(&host, argc, argv);
  crx::test::DialogWidgetsTest widgets(gui);
  failures += QTest::qExec(&widgets, argc, argv);
  crx::test::TunepressWindowTest renderer(gui);
  failures += QTest::qExec(&renderer, argc, argv);
  crx::test::CantorixWindowTest main(gui);
  failures += QTest::qExec(&main, argc, argv);
  return failures == 0 ? 0 : 1;
}
