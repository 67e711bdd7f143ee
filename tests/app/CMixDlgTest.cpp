#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CMixDlg.h"
#include "platform/UiServices.h"
#include "support/platform/ScriptedHost.h"

namespace crx {
namespace {

using Strings = std::vector<std::string>;

TEST(MixDialog, TakesOverTheSpinPositionsOnlyOnOk) {
  ScriptedHost host;
  ScopedUi scope(host);
  MixSettings stored{120, 80, 100, 3, 0, 32};
  CMixDlg shown("/w/v.wav", "/w/a.wav", "/w/m.wav", stored);
  host.AnswerDialog([](DialogModel& d) {
    auto& dlg = static_cast<CMixDlg&>(d);
    EXPECT_EQ(dlg.Text(CMixDlg::kVocalVolume), "120");
    EXPECT_EQ(dlg.Text(CMixDlg::kMixReverb), "32");
    dlg.SetText(CMixDlg::kVocalVolume, "250");  // beyond the range: 200
    dlg.SetText(CMixDlg::kAccompanimentVolume, " 60 ");
    dlg.SetText(CMixDlg::kMixVolume, "abc");  // no number: the position stays
    dlg.SetText(CMixDlg::kVocalReverb, "-4");
    dlg.SetText(CMixDlg::kAccompanimentReverb, "");
    dlg.SetText(CMixDlg::kMixReverb, "31");
    return DialogResult::Ok;
  });
  EXPECT_EQ(Ui().RunModal(shown), DialogResult::Ok);
  EXPECT_EQ(shown.Settings(), (MixSettings{200, 60, 100, 0, 0, 31}));
  EXPECT_EQ(shown.Text(CMixDlg::kMixVolume), "100");
  EXPECT_EQ(shown.MixWavPath(), "/w/m.wav");

  CMixDlg cancelled("/w/v.wav", "/w/a.wav", "/w/m.wav", stored);
  host.AnswerDialog([](DialogModel& d) {
    static_cast<CMixDlg&>(d).SetText(CMixDlg::kVocalVolume, "10");
    return DialogResult::Cancel;
  });
  EXPECT_EQ(Ui().RunModal(cancelled), DialogResult::Cancel);
  EXPECT_EQ(cancelled.Settings(), stored);
  EXPECT_EQ(host.DialogNames(), (Strings{"CMixDlg", "CMixDlg"}));
}

}  // namespace
}  // namespace crx
