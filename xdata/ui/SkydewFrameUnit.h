#pragma once

#include "xdata/ui/AuxFrameUnit.h"

namespace windlark {

// The panel of the SKYDEW hygrometer: one group of caption/value rows.
class TSkydewFrame : public TAuxFrame {
  Q_OBJECT

 public:
  TSkydewFrame(const InstrumentPanel& panel, QWidget* parent);
};

}  // namespace windlark
