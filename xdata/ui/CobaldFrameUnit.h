#pragma once

#include "xdata/ui/AuxFrameUnit.h"

namespace windlark {

// The panel of the COBALD backscatter sonde: one group of caption/value rows.
class TCobaldFrame : public TAuxFrame {
  Q_OBJECT

 public:
  TCobaldFrame(const InstrumentPanel& panel, QWidget* parent);
};

}  // namespace windlark
