#include "app/ui/ModalPrompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace windlark {

namespace {

// The messages break lines with "\r"; a message box breaks them at "\n".
QString Shown(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

}  // namespace

void MessageBoxPrompts::Error(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QStringLiteral("Error"), Shown(text));
}

void MessageBoxPrompts::Information(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QStringLiteral("Information"), Shown(text));
}

bool MessageBoxPrompts::Confirm(QWidget* parent, const QString& text) {
  return QMessageBox::question(parent, QStringLiteral("Confirm"), Shown(text),
                               QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Cancel) == QMessageBox::Ok;
}

QString MessageBoxPrompts::PickFolder(QWidget* parent, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, title, start);
}

int MessageBoxPrompts::RunModal(QDialog& dialog) {
  return dialog.exec();
}

ModalPrompts& DefaultPrompts() {
  static MessageBoxPrompts prompts;
  return prompts;
}

}  // namespace windlark
