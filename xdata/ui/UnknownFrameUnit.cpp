#include "xdata/ui/UnknownFrameUnit.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include "base/ui/SansFont.h"

namespace windlark {

namespace {

constexpr int kRowPitch = 14;
constexpr int kMemoPixels = 8;
constexpr int kMemoInset = 4;

}  // namespace

TUnknownFrame::TUnknownFrame(const InstrumentPanel& panel, QWidget* parent)
    : TAuxFrame(panel, parent) {
  const PanelGroup& group = Layout().groups.front();
  const QRect area = BodyArea();
  QWidget* box = AddGroup(this, group, area, kRowPitch);
  const int memoTop = GroupContentTop() + static_cast<int>(group.rowCount) * kRowPitch + 2;

  m_memo = new QPlainTextEdit(box);
  m_memo->setReadOnly(true);
  m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_memo->setFont(SansFont(kMemoPixels));
  m_memo->setGeometry(kMemoInset, memoTop, area.width() - 2 * kMemoInset,
                      area.height() - memoTop - kMemoInset);
  ShowPanel(panel);
}

void TUnknownFrame::ShowPanel(const InstrumentPanel& panel) {
  TAuxFrame::ShowPanel(panel);
  const auto& memo = panel.Memo();
  if (m_memoLines == memo.size()) return;
  for (; m_memoLines < memo.size(); ++m_memoLines)
    m_memo->appendPlainText(QString::fromStdString(memo[m_memoLines]));
  // The view follows the cursor: at the start of the newest line it shows the lines' beginnings,
  // not the end of a long line.
  QTextCursor cursor = m_memo->textCursor();
  cursor.movePosition(QTextCursor::End);
  cursor.movePosition(QTextCursor::StartOfBlock);
  m_memo->setTextCursor(cursor);
  m_memo->ensureCursorVisible();
}

}  // namespace windlark
