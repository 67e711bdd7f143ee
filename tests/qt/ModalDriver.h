#pragma once

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace crx::test {

// Answers the next modal window that opens (a message box, a file dialog or
// a dialog widget): the handler runs once it is shown and may click in it.
inline void WhenModalOpens(std::function<void(QWidget*)> handler, QWidget* previous = nullptr) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, handler, previous] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == previous || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    QPointer<QWidget> open(modal);
    handler(modal);
    // A failed check leaves the window open: close it so the test goes on.
    if (open && open->isVisible()) {
      if (auto* dialog = qobject_cast<QDialog*>(open.data())) dialog->reject();
    }
  });
  timer->start();
}

// Writes a picture of a window under the build folder.
inline void Screenshot(QWidget* window, const QString& name) {
  QDir().mkpath(CRX_SCREENSHOT_DIR);
  window->grab().save(QStringLiteral(CRX_SCREENSHOT_DIR "/") + name + QStringLiteral(".png"));
}

template <typename T>
T* Child(QWidget* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace crx::test
