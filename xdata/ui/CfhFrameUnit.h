#pragma once

#include "xdata/ui/AuxFrameUnit.h"

namespace windlark {

// The panel of the CFH hygrometer: a scrolling body with the "Flight " and the
// "Instr. Config " groups.
class TCfhFrame : public TAuxFrame {
  Q_OBJECT

 public:
  TCfhFrame(const InstrumentPanel& panel, QWidget* parent);
};

}  // namespace windlark
