#include "aprs/ui/Form10.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/ui/QtText.h"

namespace windlark {

TForm10::TForm10(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TForm10"));
  setWindowTitle(QStringLiteral("APRS Sonde tracking"));
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox(QStringLiteral("Radiosonde Selection  "), this);
  auto* groupLayout = new QVBoxLayout(group);
  m_names = new QComboBox(group);
  m_names->setObjectName(QStringLiteral("ComboBox1"));
  m_names->setMinimumWidth(180);
  groupLayout->addWidget(m_names);
  layout->addWidget(group);
  auto* buttons = new QHBoxLayout;
  auto* track = new QPushButton(QStringLiteral("Track"), this);
  track->setObjectName(QStringLiteral("Track"));
  track->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("Cancel"));
  buttons->addStretch(1);
  buttons->addWidget(track);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(track, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm10::SetNames(const std::vector<std::string>& names) {
  std::vector<std::string> sorted = names;
  std::sort(sorted.begin(), sorted.end());
  m_names->clear();
  for (const std::string& name : sorted) m_names->addItem(ToQString(name));
  m_names->setCurrentIndex(sorted.empty() ? -1 : 0);
}

QString TForm10::SelectedName() const {
  return m_names->currentIndex() >= 0 ? m_names->currentText() : QString();
}

}  // namespace windlark
