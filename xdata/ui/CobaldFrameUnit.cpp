#include "xdata/ui/CobaldFrameUnit.h"

namespace windlark {

TCobaldFrame::TCobaldFrame(const InstrumentPanel& panel, QWidget* parent)
    : TAuxFrame(panel, parent) {
  AddGroup(this, Layout().groups.front(), BodyArea());
  ShowPanel(panel);
}

}  // namespace windlark
