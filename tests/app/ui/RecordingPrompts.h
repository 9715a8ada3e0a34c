#pragma once

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/ui/ModalPrompts.h"

namespace windlark::test {

// Answers for the user and keeps what the program showed.
class RecordingPrompts : public ModalPrompts {
 public:
  struct Shown {
    std::string kind;  // "error", "information", "confirm", "folder"
    std::string text;  // the message, or the folder picker's title
  };

  void Error(QWidget*, const QString& text) override { Record("error", text); }
  void Information(QWidget*, const QString& text) override { Record("information", text); }
  bool Confirm(QWidget*, const QString& text) override {
    Record("confirm", text);
    const bool answer = confirmAnswers.empty() ? true : confirmAnswers.front();
    if (!confirmAnswers.empty()) confirmAnswers.pop_front();
    return answer;
  }
  QString PickFolder(QWidget*, const QString& title, const QString& start) override {
    Record("folder", title);
    folderStart = start;
    return folderAnswer;
  }
  // The test plays the user inside the dialog; without a player the dialog is cancelled.
  int RunModal(QDialog& dialog) override {
    if (!play) return QDialog::Rejected;
    dialog.setResult(QDialog::Rejected);
    play(dialog);
    return dialog.result();
  }

  const Shown& Last() const {
    static const Shown none;
    return shown.empty() ? none : shown.back();
  }

  std::vector<Shown> shown;
  std::deque<bool> confirmAnswers;
  QString folderAnswer;
  QString folderStart;
  std::function<void(QDialog&)> play;

 private:
  void Record(const char* kind, const QString& text) {
    shown.push_back({kind, text.toStdString()});
  }
};

}  // namespace windlark::test
