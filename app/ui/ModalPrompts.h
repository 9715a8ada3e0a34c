#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace windlark {

// Every modal thing a window asks of the user: message boxes, folder pickers, sub-dialogs.
// Windows take it from outside so that tests answer instead of a person.
class ModalPrompts {
 public:
  virtual ~ModalPrompts() = default;

  // Texts may carry "\r" line breaks, as the program's messages do.
  virtual void Error(QWidget* parent, const QString& text) = 0;
  virtual void Information(QWidget* parent, const QString& text) = 0;
  // An OK/Cancel question; true for OK.
  virtual bool Confirm(QWidget* parent, const QString& text) = 0;
  // A folder, or empty when the user cancels.
  virtual QString PickFolder(QWidget* parent, const QString& title, const QString& start) = 0;
  // Runs a dialog modally; its result code.
  virtual int RunModal(QDialog& dialog) = 0;
};

// The real thing: message boxes, the folder dialog and QDialog::exec().
class MessageBoxPrompts : public ModalPrompts {
 public:
  void Error(QWidget* parent, const QString& text) override;
  void Information(QWidget* parent, const QString& text) override;
  bool Confirm(QWidget* parent, const QString& text) override;
  QString PickFolder(QWidget* parent, const QString& title, const QString& start) override;
  int RunModal(QDialog& dialog) override;
};

// The process's real prompts, for windows given none.
ModalPrompts& DefaultPrompts();

}  // namespace windlark
