#include "qt/SpinEdit.h"

namespace crx::qt {

SpinEdit::SpinEdit(int editId, int minimum, int maximum, QWidget* parent) : QSpinBox(parent) {
  setObjectName(QString::number(editId));
  setRange(minimum, maximum);
  setGroupSeparatorShown(false);
  setKeyboardTracking(true);
  setAccelerated(true);
  setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 30);
}

}  // namespace crx::qt
