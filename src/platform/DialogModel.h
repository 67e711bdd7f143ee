#pragma once

namespace crx {

// Base of every dialog class. A dialog class holds the behaviour of one
// dialog (its fields, opening, buttons and checks) and knows no widgets; the
// host shows it and forwards the user's actions.
class DialogModel {
 public:
  virtual ~DialogModel() = default;
  // A stable name of the dialog ("CMixDlg", ...), used by hosts and scripts.
  virtual const char* DialogName() const = 0;
  // Called as the dialog opens; false closes it at once as cancelled.
  virtual bool OnInitDialog() { return true; }
  // Called when OK is pressed; false keeps the dialog open.
  virtual bool OnOK() { return true; }
  virtual void OnCancel() {}
};

}  // namespace crx
