#pragma once

#include <QWidget>

namespace crx::qt {

// The circular progress display: a ring with a bright arc that turns on by
// one degree per unit of the progress counter.
class ProgressRing : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kArcDegrees = 90;

  explicit ProgressRing(QWidget* parent);

  void SetCounter(int counter);
  int Counter() const { return counter_; }
  QSize sizeHint() const override { return {96, 96}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int counter_ = 0;
};

}  // namespace crx::qt
