#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace windlark {

// The about box: the release line, what the program is, its licence.
class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  QLabel* ReleaseLabel() const { return m_release; }
  QPushButton* CheckForUpdatesButton() const { return m_checkUpdates; }

 signals:
  void CheckForUpdates();

 private:
  QPushButton* m_checkUpdates = nullptr;
  QLabel* m_release = nullptr;
};

}  // namespace windlark
