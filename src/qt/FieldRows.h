#pragma once

#include <initializer_list>
#include <string_view>

#include "platform/DialogField.h"

class QGridLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace crx::qt {

// The rows the step dialogs are made of: a label and its edit field, a "..."
// picker beside it, the buttons that close the dialog.

// Label in column 0, the field in column 1 (named after its id; a read-only
// field scrolls and keeps its text whole).
QLineEdit* AddFieldRow(QGridLayout* grid, int row, const DialogField& field, QWidget* parent);
// A button that never acts on Return (column 2 of the row).
QPushButton* AddPickerButton(QGridLayout* grid, int row, int id, std::string_view caption,
                             QWidget* parent);
// A push button named after its id; the default one answers Return.
QPushButton* MakeButton(int id, std::string_view caption, bool isDefault, QWidget* parent);
// Shows a path or text from its start.
void ShowText(QLineEdit* field, std::string_view utf8);
// Tab order as listed.
void ChainTabOrder(std::initializer_list<QWidget*> widgets);

}  // namespace crx::qt
