#include "qt/DialogWidgets.h"

#include "qt/ConfigDlgWidget.h"
#include "qt/EditDlgWidget.h"
#include "qt/ExternalDlgWidget.h"
#include "qt/GuiHost.h"
#include "qt/LyricConvertDlgWidget.h"
#include "qt/MP3DlgWidget.h"
#include "qt/MelodyDlgWidget.h"
#include "qt/MixDlgWidget.h"
#include "qt/RemoveDlgWidget.h"
#include "qt/ResultDlgWidget.h"
#include "qt/TextEditDlgWidget.h"
#include "qt/TunepressConfigWidget.h"
#include "qt/VideoDlgWidget.h"

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
  host.RegisterDialog("CTextEditDlg", Factory<TextEditDlgWidget, CTextEditDlg>());
  host.RegisterDialog("CMelodyDlg", Factory<MelodyDlgWidget, CMelodyDlg>());
  host.RegisterDialog("CLyricConvertDlg", Factory<LyricConvertDlgWidget, CLyricConvertDlg>());
  host.RegisterDialog("CVideoDlg", Factory<VideoDlgWidget, CVideoDlg>());
  host.RegisterDialog("CExternalDlg", Factory<ExternalDlgWidget, CExternalDlg>());
  host.RegisterDialog("CMP3Dlg", Factory<MP3DlgWidget, CMP3Dlg>());
  host.RegisterDialog("CConfigDlg", Factory<ConfigDlgWidget, CConfigDlg>());
  host.RegisterDialog("CEditDlg", Factory<EditDlgWidget, CEditDlg>());
  host.RegisterDialog("CResultDlg", Factory<ResultDlgWidget, CResultDlg>());
  host.RegisterDialog("renderer::CConfigDlg",
                      Factory<TunepressConfigWidget, renderer::CConfigDlg>());
}

}  // namespace crx::qt
