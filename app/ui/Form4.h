#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace windlark {

class ModalPrompts;

// The add-frequency dialog of the settings: one frequency in Hz, checked on "Ok".
class TForm4 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm4(ModalPrompts& prompts, QWidget* parent = nullptr);

  // Puts the field back to its starting text, before each use.
  void Reset();
  // The accepted frequency; valid after the dialog closed with "Ok".
  int FrequencyHz() const { return m_frequencyHz; }

 private:
  void ButtonOkClick();

  ModalPrompts& m_prompts;
  QLineEdit* m_edit = nullptr;
  int m_frequencyHz = 0;
};

}  // namespace windlark
