#pragma once

#include <QDialog>

class QLabel;

namespace windlark {

// The about box: the release line, what the program is, its licence.
class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  QLabel* ReleaseLabel() const { return m_release; }

 private:
  QLabel* m_release = nullptr;
};

}  // namespace windlark
