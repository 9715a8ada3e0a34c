#pragma once

#include <QFrame>
#include <QString>
#include <cstddef>
#include <vector>

#include "xdata/InstrumentPanel.h"

class QLabel;

namespace windlark {

// One instrument's panel in the auxiliary sensors window: a 155 x 176 raised frame with a title
// bar, the status box with the chain position (lime green while the instrument is heard, red
// when it fell silent) and the instrument's caption/value rows below. The rows and their texts
// come from the chain model; the window calls ShowPanel whenever the model panel changed.
class TAuxFrame : public QFrame {
  Q_OBJECT

 public:
  TAuxFrame(const InstrumentPanel& panel, QWidget* parent);

  int Position() const { return m_position; }
  InstrumentKind Kind() const { return m_kind; }
  QString Title() const;
  QString StatusText() const;
  QColor StatusColour() const;
  // The text shown in the value label of the row (layout order of the kind).
  QString ValueText(std::size_t row) const;
  std::size_t RowCount() const { return m_values.size(); }

  // Values and status colour as the model panel holds them now.
  virtual void ShowPanel(const InstrumentPanel& panel);

 protected:
  static constexpr int kBodyTop = 23;
  static constexpr int kBodyLeft = 3;
  static constexpr int kMinRowPitch = 12;
  static constexpr int kMaxRowPitch = 15;

  // The caption/value rows of `group` inside a group box filling `area` of `container`, at
  // `pitch` pixels per row (0: spread over the box, between 12 and 15). Returns the box.
  QWidget* AddGroup(QWidget* container, const PanelGroup& group, const QRect& area, int pitch = 0);
  // Body area below the title bar.
  static QRect BodyArea();
  static int GroupContentTop();
  const PanelLayout& Layout() const { return LayoutOf(m_kind); }

 private:
  void PaintStatus(const QColor& colour);
  static void FitText(QLabel* label);

  int m_position;
  InstrumentKind m_kind;
  QLabel* m_title;
  QLabel* m_status;
  std::vector<QLabel*> m_values;
};

}  // namespace windlark
