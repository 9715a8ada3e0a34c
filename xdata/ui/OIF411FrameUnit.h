#pragma once

#include "xdata/ui/AuxFrameUnit.h"

namespace windlark {

// The panel of the OIF411 ozone interface: one group of caption/value rows.
class TOIF411Frame : public TAuxFrame {
  Q_OBJECT

 public:
  TOIF411Frame(const InstrumentPanel& panel, QWidget* parent);
};

}  // namespace windlark
