#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace windlark {

// The new-version window: this program's and the available version, the change log and a link
// to the project's page. An automatic announcement counts its button down and closes itself.
class TForm8 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm8(QWidget* parent = nullptr);

  // Opens the page address in the browser; by default the desktop's handler.
  void SetOpenUrl(std::function<void(const QString&)> openUrl) { m_openUrl = std::move(openUrl); }
  void SetWebPage(const QString& url);
  // Fills the window; with `silent` the countdown runs from 5.
  void Prepare(const QString& current, const QString& available, const QString& changeLog,
               bool silent);

  QLabel* CurrentVersion() const { return m_current; }
  QLabel* AvailableVersion() const { return m_available; }
  QLabel* Link() const { return m_link; }
  QPlainTextEdit* ChangeLog() const { return m_changeLog; }
  QPushButton* OkButton() const { return m_ok; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Timer1Timer();
  void ButtonOkClick();

  QLabel* m_current = nullptr;
  QLabel* m_available = nullptr;
  QLabel* m_link = nullptr;
  QPlainTextEdit* m_changeLog = nullptr;
  QPushButton* m_ok = nullptr;
  QTimer* m_timer = nullptr;
  int m_countdown = 0;
  QString m_url;
  std::function<void(const QString&)> m_openUrl;
};

}  // namespace windlark
