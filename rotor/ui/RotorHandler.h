#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "rotor/RotorSettings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;

namespace windlark {

class TAntennaRotor;

// The "Antenna Rotor" window: connects the rotor link, moves to presets and typed angles, and
// in tracking mode points the antenna at the sonde.
class TRotorHandler : public QWidget {
  Q_OBJECT

 public:
  explicit TRotorHandler(QWidget* parent = nullptr);
  ~TRotorHandler() override;

  // The rotor settings as the settings dialog holds them now.
  void SetSettings(const RotorSettings& settings) { m_settings = settings; }
  // Where the AZ/EL files go.
  void SetStoreDir(const QString& dir) { m_storeDir = dir; }
  // The window's error messages; by default message boxes.
  void SetErrorPrompt(std::function<void(const QString&)> prompt) {
    m_errorPrompt = std::move(prompt);
  }

  // The sonde's bearing and elevation from home, whole degrees, with every new position.
  void TrackTo(int azimuth, int elevation);

  bool Tracking() const { return m_tracking; }
  bool LinkRunning() const { return m_link != nullptr; }
  int LastAzimuth() const { return m_lastAzimuth; }
  int LastElevation() const { return m_lastElevation; }
  // Ends every link and waits for its thread (the window is closing).
  void Shutdown();

  void ConnectClick();
  void DisconnectClick();
  void StartTrackingClick();
  void StopClick();
  void MoveToClick();
  void GoClick();

 signals:
  // The link has ended, whatever the reason.
  void LinkEnded();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StartLink(int protocol);
  void LinkOpened(bool ok);
  void LinkLost();
  void DropLink();
  void SetManualControls(bool enabled);
  void FillPresets();
  void RequestMove(int azimuth, int elevation);
  void ShowError(std::string_view text);

  RotorSettings m_settings;
  QString m_storeDir;
  std::function<void(const QString&)> m_errorPrompt;
  TAntennaRotor* m_link = nullptr;
  // Every link whose thread has not ended yet, with its thread.
  std::vector<std::pair<QThread*, TAntennaRotor*>> m_threads;
  bool m_tracking = false;
  int m_lastAzimuth = 0;
  int m_lastElevation = 0;
  int m_sensitivity = 1;
  int m_linkProtocol = 0;

  QLabel* m_azimuth = nullptr;
  QLabel* m_elevation = nullptr;
  QPushButton* m_startTracking = nullptr;
  QPushButton* m_stop = nullptr;
  QComboBox* m_presets = nullptr;
  QPushButton* m_moveTo = nullptr;
  QPushButton* m_connect = nullptr;
  QPushButton* m_disconnect = nullptr;
  QLineEdit* m_azField = nullptr;
  QLineEdit* m_elField = nullptr;
  QPushButton* m_go = nullptr;
  QLabel* m_linkPanel = nullptr;
  QLabel* m_rotorPanel = nullptr;
};

}  // namespace windlark
