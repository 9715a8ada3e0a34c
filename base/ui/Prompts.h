#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace windlark {

// The modal questions and messages of the main window, behind functions so that tests can
// answer them. The program's texts use "\r" for a line break, as they are given; the real
// message boxes show it as a new line.
struct Prompts {
  enum class Icon { Information, Warning, Error };

  struct OpenRequest {
    QString title;
    QStringList filters;  // "Description (*.ext)"
    QString folder;
  };
  struct SaveRequest {
    QString title;
    QStringList filters;
    QStringList suffixes;  // the default extension of each filter
    QString fileName;      // offered name, without folder
    QString folder;
  };
  struct SaveAnswer {
    QString path;  // empty when cancelled
    int filterIndex = 1;
  };

  std::function<void(Icon, const QString& text)> message;
  // The chosen file, or empty when cancelled.
  std::function<QString(const OpenRequest&)> openFile;
  std::function<SaveAnswer(const SaveRequest&)> saveFile;
  // Opens an address in the user's browser.
  std::function<void(const QString& url)> openUrl;

  // Real dialogs over `parent`; message boxes carry `title`.
  static Prompts Dialogs(QWidget* parent, const QString& title);
};

}  // namespace windlark
