#pragma once

#include <array>

#include "base/TelemetryView.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMainWindow;
class QMenu;
class QAction;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;
class QWidget;

namespace windlark {

class TLampShape;
class TMapImage;
class TStatusBarPanels;

// The controls of the main window, created by BuildMainWidgets and owned by the window.
struct MainWidgets {
  // Tool bar: "RS41 Decoding", "Radio Control", "GPS Track", "Map Control", "APRS", "Tools".
  QToolButton* startAudio = nullptr;
  QToolButton* stopAudio = nullptr;
  QToolButton* startRadio = nullptr;
  QToolButton* stopRadio = nullptr;
  QToolButton* exportGps = nullptr;
  QToolButton* autoCenter = nullptr;
  TLampShape* autoCenterLamp = nullptr;
  QToolButton* mapNet = nullptr;
  QToolButton* mapDownload = nullptr;
  QToolButton* zoomPlus = nullptr;
  QToolButton* zoomMinus = nullptr;
  QToolButton* aprsEnable = nullptr;
  QLabel* aprsState = nullptr;  // the small label above "Enable/Disable APRS"
  QToolButton* monitoring = nullptr;
  QToolButton* tracking = nullptr;
  std::array<TLampShape*, 3> aprsLamps{};  // "Link", "Rx", "Tx"
  QLabel* aprsCount = nullptr;
  QToolButton* settings = nullptr;
  QToolButton* loadRaw = nullptr;
  QToolButton* loadKml = nullptr;
  QToolButton* googleMap = nullptr;
  QToolButton* rotor = nullptr;
  QToolButton* exportTelemetry = nullptr;
  QToolButton* about = nullptr;
  QToolButton* auxPanel = nullptr;
  QToolButton* signalMonitor = nullptr;
  QToolButton* gpsIn = nullptr;
  QToolButton* diagrams = nullptr;
  QToolButton* mapDownloader = nullptr;
  QToolButton* mapType = nullptr;
  QMenu* mapTypeMenu = nullptr;
  QAction* openStreetMap = nullptr;
  QAction* openTopoMap = nullptr;
  QButtonGroup* audioPair = nullptr;
  QButtonGroup* radioPair = nullptr;
  QButtonGroup* aprsModes = nullptr;

  // Left column.
  QLabel* radioFrequency = nullptr;
  TLampShape* radioLamp = nullptr;
  QLabel* rescanCountdown = nullptr;
  QCheckBox* adjust = nullptr;
  std::array<QLabel*, kSatelliteCount> satelliteLabels{};
  std::array<QProgressBar*, kSatelliteCount> satelliteGauges{};
  std::array<TLampShape*, kSubFrameCount> subFrameLamps{};

  // Every read-out of the decoder; the pressure caption is the group's own title.
  std::array<QLabel*, static_cast<std::size_t>(ReadOut::Count)> readOuts{};
  QGroupBox* pressureGroup = nullptr;
  std::array<TLampShape*, static_cast<std::size_t>(Lamp::Count)> lamps{};

  // Middle and right.
  QWidget* leftColumn = nullptr;
  TMapImage* mapImage = nullptr;
  QWidget* rightColumn = nullptr;
  QPlainTextEdit* eventsLog = nullptr;

  std::array<TStatusBarPanels*, 2> statusBars{};
};

// Creates every control of the main window and lays them out in `window`.
void BuildMainWidgets(QMainWindow& window, MainWidgets& widgets);

// Parts of the build, one per area.
QWidget* BuildToolBar(QWidget* parent, MainWidgets& widgets);
QWidget* BuildLeftColumn(QWidget* parent, MainWidgets& widgets);
QWidget* BuildRightColumn(QWidget* parent, MainWidgets& widgets);

}  // namespace windlark
