#include "qt/DialogWidgets.h"

#include "qt/GuiHost.h"
#include "qt/MixDlgWidget.h"
#include "qt/RemoveDlgWidget.h"
#include "qt/TunepressConfigWidget.h"

namespace crx::qt {
namespace {

// A factory for the widget W of the dialog class D.
template <typename W, typename D>
GuiHost::WidgetFactory Factory() {
  return [](DialogModel& model, QWidget* parent) -> std::unique_ptr<ModelDialog> {
    return std::make_unique<W>(static_cast<D&>(model), parent);
  };
}

}  // namespace

void RegisterDialogWidgets(GuiHost& host) {
  host.RegisterDialog("CMixDlg", Factory<MixDlgWidget, CMixDlg>());
  host.RegisterDialog("CRemoveDlg", Factory<RemoveDlgWidget, CRemoveDlg>());
  host.RegisterDialog("renderer::CConfigDlg", Factory<TunepressConfigWidget, renderer::CConfigDlg>());
}

}  // namespace crx::qt
