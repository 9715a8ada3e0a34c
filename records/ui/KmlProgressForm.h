#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace windlark {

// The small window that shows how far an export has got: "saving <file>" and a bar 0..100.
class TKmlProgressForm : public QDialog {
  Q_OBJECT

 public:
  explicit TKmlProgressForm(QWidget* parent = nullptr);

  // Centred on `owner`, with the label and the bar reset.
  void ShowSaving(const QString& fileName, const QWidget* owner);
  void SetProgress(int percent);
  QLabel* Label() const { return m_label; }
  QProgressBar* Bar() const { return m_bar; }

 protected:
  // The window has no close button and Escape does not hide it: the export ends it.
  void reject() override {}

 private:
  QLabel* m_label = nullptr;
  QProgressBar* m_bar = nullptr;
};

}  // namespace windlark
