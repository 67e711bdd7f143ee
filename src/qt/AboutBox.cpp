#include "qt/AboutBox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace crx::qt {

AboutBox::AboutBox(const QString& caption, const QString& text, QWidget* parent) : QDialog(parent) {
  setObjectName("100");
  setWindowTitle(caption);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
  auto* label = new QLabel(text, this);
  label->setObjectName("text");
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("1");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(label, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(ok, 0, Qt::AlignRight);
}

}  // namespace crx::qt
