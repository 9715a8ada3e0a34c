#include "records/ui/KmlProgressForm.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace windlark {

TKmlProgressForm::TKmlProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("TKmlProgressForm"));
  setWindowTitle(QStringLiteral("Windlark"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 6);
  layout->setSpacing(3);
  m_label = new QLabel(this);
  m_label->setTextFormat(Qt::PlainText);
  m_bar = new QProgressBar(this);
  m_bar->setRange(0, 100);
  layout->addWidget(m_label);
  layout->addWidget(m_bar);
  setFixedSize(521, 64);
}

void TKmlProgressForm::ShowSaving(const QString& fileName, const QWidget* owner) {
  m_label->setText(QStringLiteral("saving ") + fileName);
  m_bar->setValue(0);
  if (owner != nullptr) {
    const QRect frame = owner->frameGeometry();
    move(frame.center() - QPoint(width() / 2, height() / 2));
  }
  show();
}

void TKmlProgressForm::SetProgress(int percent) {
  m_bar->setValue(percent);
}

}  // namespace windlark
