#pragma once

#include <QDialog>

#include "app/Settings.h"

class QLineEdit;

namespace windlark {

class ModalPrompts;

// The rotor preset dialog of the settings: a name, an azimuth and an elevation.
class TRotorPresetForm : public QDialog {
  Q_OBJECT

 public:
  explicit TRotorPresetForm(ModalPrompts& prompts, QWidget* parent = nullptr);

  // Empties the three fields, before each use.
  void Clear();
  // The accepted preset; valid after the dialog closed with "OK".
  const RotorPreset& Preset() const { return m_preset; }

 private:
  void ButtonOkClick();

  ModalPrompts& m_prompts;
  QLineEdit* m_name = nullptr;
  QLineEdit* m_azimuth = nullptr;
  QLineEdit* m_elevation = nullptr;
  RotorPreset m_preset;
};

}  // namespace windlark
