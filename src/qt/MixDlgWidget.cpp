#include "qt/MixDlgWidget.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt/SpinEdit.h"
#include "qt/TextHelpers.h"

namespace crx::qt {

MixDlgWidget::MixDlgWidget(CMixDlg& dialog, QWidget* parent)
    : ModelDialog(dialog, parent), dialog_(dialog) {
  setWindowTitle(Utf8(CMixDlg::kCaption));
  struct Group {
    std::string_view title;
    int pathId;
    CMixDlg::Field volume;
    CMixDlg::Field reverb;
  };
  const std::array<Group, 3> groups = {{
      {CMixDlg::kVocalGroup, CMixDlg::kVocalPathId, CMixDlg::kVocalVolume, CMixDlg::kVocalReverb},
      {CMixDlg::kAccompanimentGroup, CMixDlg::kAccompanimentPathId, CMixDlg::kAccompanimentVolume,
       CMixDlg::kAccompanimentReverb},
      {CMixDlg::kMixGroup, CMixDlg::kMixPathId, CMixDlg::kMixVolume, CMixDlg::kMixReverb},
  }};
  auto* layout = new QVBoxLayout(this);
  QWidget* previous = nullptr;
  for (size_t g = 0; g < groups.size(); ++g) {
    auto* box = new QGroupBox(Utf8(groups[g].title), this);
    auto* grid = new QGridLayout(box);
    auto* path = new QLineEdit(box);
    path->setObjectName(QString::number(groups[g].pathId));
    path->setReadOnly(true);
    path->setMinimumWidth(420);
    paths_[g] = path;
    grid->addWidget(new QLabel(Utf8(CMixDlg::kPathLabel), box), 0, 0);
    grid->addWidget(path, 0, 1, 1, 3);
    int column = 0;
    for (CMixDlg::Field f : {groups[g].volume, groups[g].reverb}) {
      const CMixDlg::SpinField& spec = CMixDlg::kSpinFields[f];
      auto* spin = new SpinEdit(spec.editId, spec.minimum, spec.maximum, box);
      spins_[f] = spin;
      const std::string_view label =
          f == groups[g].volume ? CMixDlg::kVolumeLabel : CMixDlg::kReverbLabel;
      grid->addWidget(new QLabel(Utf8(label), box), 1, column);
      grid->addWidget(spin, 1, column + 1);
      column += 2;
      if (previous != nullptr) setTabOrder(previous, spin);
      previous = spin;
    }
    layout->addWidget(box);
  }
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QString::number(CMixDlg::kOkId));
  ok->setDefault(true);
  ok->setAutoDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignRight);
  setTabOrder(previous, ok);
}

void MixDlgWidget::Load() {
  paths_[0]->setText(Utf8(dialog_.VocalWavPath()));
  paths_[1]->setText(Utf8(dialog_.AccompanimentWavPath()));
  paths_[2]->setText(Utf8(dialog_.MixWavPath()));
  for (QLineEdit* path : paths_) path->setCursorPosition(0);
  for (int f = 0; f < CMixDlg::kFieldCount; ++f) {
    spins_[f]->setValue(dialog_.Position(static_cast<CMixDlg::Field>(f)));
  }
}

void MixDlgWidget::Store() {
  for (int f = 0; f < CMixDlg::kFieldCount; ++f) {
    // The typed text as it stands; the dialog class brings it into range.
    dialog_.SetText(static_cast<CMixDlg::Field>(f), spins_[f]->cleanText().toStdString());
  }
}

}  // namespace crx::qt
