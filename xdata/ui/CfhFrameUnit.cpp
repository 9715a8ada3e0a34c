#include "xdata/ui/CfhFrameUnit.h"

#include <QScrollArea>
#include <QScrollBar>

namespace windlark {

namespace {

constexpr int kRowPitch = 14;
constexpr int kGroupGap = 2;

}  // namespace

TCfhFrame::TCfhFrame(const InstrumentPanel& panel, QWidget* parent) : TAuxFrame(panel, parent) {
  auto* scroll = new QScrollArea(this);
  scroll->setGeometry(BodyArea());
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  scroll->setWidgetResizable(false);

  auto* content = new QWidget;
  const int width = BodyArea().width() - scroll->verticalScrollBar()->sizeHint().width();
  int y = 0;
  for (const PanelGroup& group : Layout().groups) {
    const int height = GroupContentTop() + static_cast<int>(group.rowCount) * kRowPitch + 3;
    AddGroup(content, group, QRect(0, y, width, height), kRowPitch);
    y += height + kGroupGap;
  }
  content->setFixedSize(width, y);
  scroll->setWidget(content);
  ShowPanel(panel);
}

}  // namespace windlark
