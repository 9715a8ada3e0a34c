#include "app/ui/StatusBarPanels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

namespace windlark {

TStatusBarPanels::TStatusBarPanels(const std::vector<int>& widths, QWidget* parent)
    : QFrame(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->setSpacing(2);
  for (std::size_t k = 0; k < widths.size(); ++k) {
    auto* panel = new QLabel(this);
    panel->setTextFormat(Qt::PlainText);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setContentsMargins(3, 0, 3, 0);
    const bool last = k + 1 == widths.size();
    if (last) {
      panel->setMinimumWidth(widths[k]);
    } else {
      panel->setFixedWidth(widths[k]);
    }
    layout->addWidget(panel, last ? 1 : 0);
    m_panels.push_back(panel);
  }
  setFixedHeight(sizeHint().height());
}

QLabel* TStatusBarPanels::Panel(int panel) const {
  if (panel < 1 || panel > Count()) return nullptr;
  return m_panels[static_cast<std::size_t>(panel - 1)];
}

void TStatusBarPanels::SetText(int panel, const QString& text) {
  if (QLabel* label = Panel(panel)) label->setText(text);
}

QString TStatusBarPanels::Text(int panel) const {
  const QLabel* label = Panel(panel);
  return label != nullptr ? label->text() : QString();
}

void TStatusBarPanels::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit Clicked();
  QFrame::mousePressEvent(event);
}

}  // namespace windlark
