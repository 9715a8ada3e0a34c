#include "xdata/ui/SkydewFrameUnit.h"

namespace windlark {

TSkydewFrame::TSkydewFrame(const InstrumentPanel& panel, QWidget* parent)
    : TAuxFrame(panel, parent) {
  AddGroup(this, Layout().groups.front(), BodyArea());
  ShowPanel(panel);
}

}  // namespace windlark
