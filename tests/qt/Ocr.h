#pragma once

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace crx::test {

// The Japanese text that OCR reads in a screenshot, without white space
// (the reader puts spaces between Japanese characters); nothing when the
// reader or its Japanese data are not installed.
inline std::optional<QString> ReadJapanese(const QImage& shot) {
  if (QStandardPaths::findExecutable(QStringLiteral("tesseract")).isEmpty()) return std::nullopt;
  QProcess langs;
  langs.start(QStringLiteral("tesseract"), {QStringLiteral("--list-langs")});
  if (!langs.waitForFinished(30000)) return std::nullopt;
  const QString list =
      QString::fromUtf8(langs.readAllStandardOutput() + langs.readAllStandardError());
  if (!list.contains(QStringLiteral("jpn"))) return std::nullopt;
  // Twice the size: the small text of buttons reads far better.
  QTemporaryDir dir;
  const QString png = dir.filePath(QStringLiteral("shot.png"));
  constexpr int kScale = 2;
  shot.scaled(shot.size() * kScale, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(png);
  QProcess ocr;
  ocr.start(QStringLiteral("tesseract"),
            {png, QStringLiteral("stdout"), QStringLiteral("-l"), QStringLiteral("jpn")});
  if (!ocr.waitForFinished(120000) || ocr.exitCode() != 0) return QString();
  QString text = QString::fromUtf8(ocr.readAllStandardOutput());
  text.remove(QChar(' ')).remove(QChar('\n')).remove(QChar(0x3000));
  return text;
}

}  // namespace crx::test
