#include <gtest/gtest.h>

#include "platform/DialogModel.h"
#include "platform/UiServices.h"
#include "support/platform/ScriptedHost.h"

namespace crx {
namespace {

struct CountingDialog : DialogModel {
  const char* DialogName() const override { return "CCountingDlg"; }
  bool OnOK() override {
    ++oks;
    return accept;
  }
  void OnCancel() override { ++cancels; }
  int value = 0;
  int oks = 0;
  int cancels = 0;
  bool accept = true;
};

TEST(ScriptedHost, RecordsMessagesInOrderAndRestoresThePreviousHost) {
  ScriptedHost outer;
  ScopedUi outerScope(outer);
  {
    ScriptedHost inner;
    ScopedUi innerScope(inner);
    Ui().ShowMessage("一", MessageKind::Plain);
    Ui().ShowMessage("二", MessageKind::ModuleError);
    ASSERT_EQ(inner.Messages(), (std::vector<std::string>{"一", "二"}));
    EXPECT_EQ(inner.Records()[1].messageKind, MessageKind::ModuleError);
  }
  Ui().ShowMessage("三", MessageKind::Plain);
  EXPECT_EQ(outer.Messages(), std::vector<std::string>{"三"});
}

TEST(ScriptedHost, AnswersFileDialogsInOrderThenCancels) {
  ScriptedHost host;
  ScopedUi scope(host);
  host.AnswerFile("/a.mid");
  host.AnswerFile(std::nullopt);
  EXPECT_EQ(Ui().OpenFileDialog({"XF midi files|*.mid|", "mid", true, false}), "/a.mid");
  EXPECT_EQ(Ui().SaveFileDialog({}), std::nullopt);
  EXPECT_EQ(Ui().OpenFileDialog({}), std::nullopt);
  EXPECT_EQ(host.Records()[0].text, "XF midi files|*.mid|");
}

TEST(ScriptedHost, ModalDialogRunsTheScriptAndTheOkCheck) {
  ScriptedHost host;
  ScopedUi scope(host);
  CountingDialog dlg;
  host.AnswerDialog([](DialogModel& d) {
    static_cast<CountingDialog&>(d).value = 7;
    return DialogResult::Ok;
  });
  EXPECT_EQ(Ui().RunModal(dlg), DialogResult::Ok);
  EXPECT_EQ(dlg.value, 7);
  EXPECT_EQ(dlg.oks, 1);

  dlg.accept = false;  // a failed check cannot be corrected by the script
  EXPECT_EQ(Ui().RunModal(dlg), DialogResult::Cancel);
  EXPECT_EQ(dlg.cancels, 1);

  host.AnswerDialog([](DialogModel&) { return DialogResult::Cancel; });
  EXPECT_EQ(Ui().RunModal(dlg), DialogResult::Cancel);
  EXPECT_EQ(dlg.oks, 2);
  EXPECT_EQ(host.DialogNames().size(), 3u);
}

}  // namespace
}  // namespace crx
