#pragma once

#include <QString>
#include <functional>

#include "app/AppliedSettings.h"
#include "app/Settings.h"
#include "app/io/SettingsStore.h"

namespace windlark {

class ModalPrompts;
class TSettingsForm;

// Joins the settings file and the settings dialog: a load fills the dialog and hands the values
// on to the running program; a save writes what the dialog shows.
class SettingsBinding {
 public:
  using ApplyFn = std::function<void(const AppliedSettings&)>;

  // The dialog's "Save" writes through this binding before it closes, so a save that fails
  // keeps the dialog open with the user's edits.
  SettingsBinding(SettingsStore store, TSettingsForm& form, ApplyFn apply = {});
  ~SettingsBinding();
  SettingsBinding(const SettingsBinding&) = delete;
  SettingsBinding& operator=(const SettingsBinding&) = delete;

  // Reads the file into the dialog and hands the result to the apply function (the raw folder
  // message included: the apply function shows it).
  AppliedSettings Load();
  // Writes the dialog's state: "" or the message for the user; a refused or failed save leaves
  // the file as it was.
  QString Save() const;
  // The main window's "Settings" button: the dialog, modally; the file is read again however it
  // closes, so "Cancel" puts the controls back as the file has them.
  AppliedSettings Edit(ModalPrompts& prompts);

  const LoadedSettings& Loaded() const { return m_loaded; }
  const SettingsStore& Store() const { return m_store; }

 private:
  SettingsStore m_store;
  TSettingsForm& m_form;
  ApplyFn m_apply;
  LoadedSettings m_loaded;
};

}  // namespace windlark
