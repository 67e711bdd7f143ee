#include <gtest/gtest.h>

#include "platform/ConsoleHost.h"
#include "platform/DialogModel.h"

namespace crx {
namespace {

struct ValueDialog : DialogModel {
  const char* DialogName() const override { return "CValueDlg"; }
  bool OnOK() override { return value >= 0; }
  int value = 1;
};

TEST(ConsoleHost, MessagesAreOneLineOnStandardError) {
  ConsoleHost host;
  testing::internal::CaptureStderr();
  host.ShowMessage("一行目\n二行目", MessageKind::ModuleError);
  host.ShowMessage("次", MessageKind::Plain);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "一行目 二行目\n次\n");
}

TEST(ConsoleHost, FileDialogsTakeTheCommandLineAnswersInOrder) {
  ConsoleHost host;
  host.AddFileAnswer("/a.mid");
  host.AddFileAnswer("/b.wav");
  EXPECT_EQ(host.OpenFileDialog({}), "/a.mid");
  EXPECT_EQ(host.SaveFileDialog({}), "/b.wav");
  EXPECT_EQ(host.OpenFileDialog({}), std::nullopt);
}

TEST(ConsoleHost, DialogsAreAcceptedUnlessAPresetSaysOtherwise) {
  ConsoleHost host;
  ValueDialog dlg;
  EXPECT_EQ(host.RunModal(dlg), DialogResult::Ok);
  host.SetDialogPreset("CValueDlg", [](DialogModel& d) {
    static_cast<ValueDialog&>(d).value = -5;  // a value the check refuses
    return DialogResult::Ok;
  });
  EXPECT_EQ(host.RunModal(dlg), DialogResult::Cancel);
  EXPECT_EQ(dlg.value, -5);
}

}  // namespace
}  // namespace crx
