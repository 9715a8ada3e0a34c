#include "xdata/ui/OIF411FrameUnit.h"

namespace windlark {

TOIF411Frame::TOIF411Frame(const InstrumentPanel& panel, QWidget* parent)
    : TAuxFrame(panel, parent) {
  AddGroup(this, Layout().groups.front(), BodyArea());
  ShowPanel(panel);
}

}  // namespace windlark
