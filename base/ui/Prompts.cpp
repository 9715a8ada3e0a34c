#include "base/ui/Prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

namespace windlark {

namespace {

QString Shown(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

void ShowMessage(QWidget* parent, const QString& title, Prompts::Icon icon, const QString& text) {
  QMessageBox box(parent);
  // Modal: it must not hide behind the always-on-top tool windows it blocks.
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  box.setWindowTitle(title);
  box.setTextFormat(Qt::PlainText);
  box.setText(Shown(text));
  box.setIcon(icon == Prompts::Icon::Information ? QMessageBox::Information
              : icon == Prompts::Icon::Warning   ? QMessageBox::Warning
                                                 : QMessageBox::Critical);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

QString OpenFile(QWidget* parent, const Prompts::OpenRequest& request) {
  return QFileDialog::getOpenFileName(parent, request.title, request.folder,
                                      request.filters.join(QStringLiteral(";;")));
}

Prompts::SaveAnswer SaveFile(QWidget* parent, const Prompts::SaveRequest& request) {
  QFileDialog dialog(parent, request.title, request.folder,
                     request.filters.join(QStringLiteral(";;")));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.selectFile(request.fileName);
  // A name typed without extension takes that of the chosen file type.
  const auto suffixFor = [&request](const QString& filter) {
    const qsizetype index = request.filters.indexOf(filter);
    return index >= 0 && index < request.suffixes.size() ? request.suffixes.at(index) : QString();
  };
  dialog.setDefaultSuffix(request.suffixes.value(0));
  QObject::connect(
      &dialog, &QFileDialog::filterSelected, &dialog,
      [&dialog, suffixFor](const QString& filter) { dialog.setDefaultSuffix(suffixFor(filter)); });
  Prompts::SaveAnswer answer;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer;
  answer.path = dialog.selectedFiles().constFirst();
  answer.filterIndex = static_cast<int>(std::max<qsizetype>(
                           0, request.filters.indexOf(dialog.selectedNameFilter()))) +
                       1;
  return answer;
}

}  // namespace

Prompts Prompts::Dialogs(QWidget* parent, const QString& title) {
  QPointer<QWidget> owner(parent);
  Prompts prompts;
  prompts.message = [owner, title](Icon icon, const QString& text) {
    ShowMessage(owner, title, icon, text);
  };
  prompts.openFile = [owner](const OpenRequest& request) { return OpenFile(owner, request); };
  prompts.saveFile = [owner](const SaveRequest& request) { return SaveFile(owner, request); };
  prompts.openUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
  return prompts;
}

}  // namespace windlark
