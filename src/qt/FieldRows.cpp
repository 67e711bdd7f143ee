#include "qt/FieldRows.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "qt/TextHelpers.h"

namespace crx::qt {

namespace {
constexpr int kFieldMinimumWidth = 420;
constexpr int kPickerPadding = 24;
}  // namespace

QLineEdit* AddFieldRow(QGridLayout* grid, int row, const DialogField& field, QWidget* parent) {
  auto* label = new QLabel(Utf8(field.label), parent);
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::number(field.id));
  edit->setReadOnly(field.readOnly);
  edit->setMinimumWidth(kFieldMinimumWidth);
  label->setBuddy(edit);
  grid->addWidget(label, row, 0);
  grid->addWidget(edit, row, 1);
  return edit;
}

QPushButton* AddPickerButton(QGridLayout* grid, int row, int id, std::string_view caption,
                             QWidget* parent) {
  QPushButton* button = MakeButton(id, caption, false, parent);
  // As narrow as its caption allows.
  button->setMaximumWidth(button->fontMetrics().horizontalAdvance(button->text()) + kPickerPadding);
  grid->addWidget(button, row, 2);
  return button;
}

QPushButton* MakeButton(int id, std::string_view caption, bool isDefault, QWidget* parent) {
  auto* button = new QPushButton(Utf8(caption), parent);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(isDefault);
  button->setDefault(isDefault);
  return button;
}

void ShowText(QLineEdit* field, std::string_view utf8) {
  field->setText(Utf8(utf8));
  field->setCursorPosition(0);
}

void ChainTabOrder(std::initializer_list<QWidget*> widgets) {
  QWidget* previous = nullptr;
  for (QWidget* w : widgets) {
    if (previous != nullptr) QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

}  // namespace crx::qt
