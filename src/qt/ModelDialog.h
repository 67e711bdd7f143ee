#pragma once

#include <QDialog>

namespace crx {
class DialogModel;
}

namespace crx::qt {

// A modal window that shows one dialog class. It copies the class's fields
// into its controls as it opens (Load) and back when OK is pressed (Store);
// OK closes it only when the class's checks pass. Escape and the close box
// are the dialog's cancel.
class ModelDialog : public QDialog {
  Q_OBJECT

 public:
  ModelDialog(DialogModel& model, QWidget* parent);

  DialogModel& Model() { return model_; }
  virtual void Load() = 0;
  virtual void Store() = 0;

  void accept() override;
  void reject() override;

 private:
  DialogModel& model_;
};

}  // namespace crx::qt
