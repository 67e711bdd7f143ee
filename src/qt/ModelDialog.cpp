#include "qt/ModelDialog.h"

#include "platform/DialogModel.h"

namespace crx::qt {

ModelDialog::ModelDialog(DialogModel& model, QWidget* parent) : QDialog(parent), model_(model) {
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void ModelDialog::accept() {
  Store();
  // The checks may show a message and keep the dialog open for a correction.
  if (!model_.OnOK()) return;
  QDialog::accept();
}

void ModelDialog::reject() {
  model_.OnCancel();
  QDialog::reject();
}

}  // namespace crx::qt
