#pragma once

#include <QSpinBox>

namespace crx::qt {

// An edit field with its spin control: digits only, no thousands
// separators, the arrow keys and the wheel step by one within the range.
class SpinEdit : public QSpinBox {
  Q_OBJECT

 public:
  SpinEdit(int editId, int minimum, int maximum, QWidget* parent);
};

}  // namespace crx::qt
