#pragma once

#include <cstddef>

#include "xdata/ui/AuxFrameUnit.h"

class QPlainTextEdit;

namespace windlark {

// The panel of an unrecognised instrument: its id and position, and a memo with one line of raw
// instrument text per packet.
class TUnknownFrame : public TAuxFrame {
  Q_OBJECT

 public:
  TUnknownFrame(const InstrumentPanel& panel, QWidget* parent);

  void ShowPanel(const InstrumentPanel& panel) override;
  QPlainTextEdit* Memo() const { return m_memo; }

 private:
  QPlainTextEdit* m_memo;
  std::size_t m_memoLines = 0;  // model memo lines already appended
};

}  // namespace windlark
