#pragma once

#include <QFrame>
#include <QString>
#include <vector>

class QLabel;

namespace windlark {

// One status bar of the main window: sunken panels of fixed widths, the last taking what is left.
class TStatusBarPanels : public QFrame {
  Q_OBJECT

 public:
  TStatusBarPanels(const std::vector<int>& widths, QWidget* parent = nullptr);

  int Count() const { return static_cast<int>(m_panels.size()); }
  // `panel` is 1-based; other numbers are ignored.
  void SetText(int panel, const QString& text);
  QString Text(int panel) const;
  QLabel* Panel(int panel) const;

 signals:
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  std::vector<QLabel*> m_panels;
};

}  // namespace windlark
