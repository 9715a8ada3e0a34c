#pragma once

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QSlider;

namespace windlark {

// The small always-on-top window of a replay: the speed track bar (0 "Stop" … 5 "Max") and
// "Terminate". It only reports what the user chose; the main window acts on it.
class TReplayControlForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kTerminate = -1;
  static constexpr int kPositions = 6;

  explicit TReplayControlForm(QWidget* parent = nullptr);

  // Moves the track bar without reporting it.
  void SetPosition(int position);
  int Position() const;
  QSlider* TrackBar() const { return m_trackBar; }
  QPushButton* TerminateButton() const { return m_terminate; }
  QLabel* SpeedLabel(int position) const;

 signals:
  // A speed position 0..5 chosen by the user, or kTerminate.
  void Command(int command);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Closing the window ends the replay: nothing else could stop it then.
  void closeEvent(QCloseEvent* event) override;

 private:
  QSlider* m_trackBar = nullptr;
  QPushButton* m_terminate = nullptr;
  std::array<QLabel*, kPositions> m_labels{};
};

}  // namespace windlark
