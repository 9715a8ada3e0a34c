#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ui/Glyphs.h"
#include "app/ui/LampShape.h"
#include "app/ui/MainWidgets.h"

namespace windlark {

namespace {

constexpr int kButtonSize = 34;

QGroupBox* Group(QWidget* parent, QHBoxLayout* bar, const char* title) {
  auto* group = new QGroupBox(QString::fromUtf8(title), parent);
  auto* layout = new QHBoxLayout(group);
  layout->setContentsMargins(4, 2, 4, 4);
  layout->setSpacing(2);
  bar->addWidget(group);
  return group;
}

// A tool-bar button whose hint is its label; the object name is the one its handler goes by.
QToolButton* Button(QWidget* group, const char* name, const char* hint, Glyph glyph,
                    bool checkable = false, QLayout* into = nullptr) {
  auto* button = new QToolButton(group);
  button->setObjectName(QString::fromUtf8(name));
  button->setToolTip(QString::fromUtf8(hint));
  button->setIcon(GlyphIcon(glyph));
  button->setIconSize(QSize(24, 24));
  button->setFixedSize(kButtonSize, kButtonSize);
  button->setAutoRaise(true);
  button->setCheckable(checkable);
  (into != nullptr ? into : group->layout())->addWidget(button);
  return button;
}

QLabel* SmallLabel(QWidget* parent, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() * 0.85);
  label->setFont(font);
  return label;
}

// A lamp with its caption under it, as the APRS group shows them.
QWidget* CaptionedLamp(QWidget* parent, const char* caption, int size, TLampShape*& lamp) {
  auto* box = new QWidget(parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(1, 0, 1, 0);
  layout->setSpacing(1);
  lamp = new TLampShape(size, box);
  layout->addWidget(lamp, 0, Qt::AlignHCenter);
  layout->addWidget(SmallLabel(box, QString::fromUtf8(caption)), 0, Qt::AlignHCenter);
  return box;
}

void BuildMapControl(QWidget* parent, QHBoxLayout* bar, MainWidgets& w) {
  QGroupBox* map = Group(parent, bar, "Map Control");
  auto* centre = new QWidget(map);
  auto* centreLayout = new QVBoxLayout(centre);
  centreLayout->setContentsMargins(0, 0, 0, 0);
  centreLayout->setSpacing(1);
  w.autoCenterLamp = new TLampShape(8, centre);
  w.autoCenterLamp->SetColour(QColor(240, 240, 240));
  centreLayout->addWidget(w.autoCenterLamp, 0, Qt::AlignHCenter);
  map->layout()->addWidget(centre);
  w.autoCenter =
      Button(centre, "SBAutoCenter", "Autocenter Map", Glyph::AutoCenter, true, centreLayout);
  w.autoCenter->setChecked(true);
  w.mapNet = Button(map, "SBMapNet", "Online/Offline Maps", Glyph::Globe, true);
  w.mapNet->setChecked(true);
  w.mapDownload = Button(map, "SBMapDownload", "Save Map On Disk", Glyph::Disk, true);
  w.mapDownload->setChecked(true);
  auto* zoom = new QLabel(map);
  zoom->setTextFormat(Qt::PlainText);
  zoom->setObjectName(QStringLiteral("ZoomLevel"));
  zoom->setFrameShape(QFrame::StyledPanel);
  zoom->setFrameShadow(QFrame::Sunken);
  zoom->setAlignment(Qt::AlignCenter);
  zoom->setMinimumWidth(30);
  QFont big = zoom->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.3);
  zoom->setFont(big);
  w.readOuts[static_cast<std::size_t>(ReadOut::ZoomLevel)] = zoom;
  map->layout()->addWidget(zoom);
  w.zoomPlus = Button(map, "SBZoomPlus", "Increase Map zoom level", Glyph::Plus);
  w.zoomMinus = Button(map, "SBZoomMinus", "Decrease Map zoom level", Glyph::Minus);
}

void BuildAprs(QWidget* parent, QHBoxLayout* bar, MainWidgets& w) {
  QGroupBox* aprs = Group(parent, bar, "APRS");
  auto* enable = new QWidget(aprs);
  auto* enableLayout = new QVBoxLayout(enable);
  enableLayout->setContentsMargins(0, 0, 0, 0);
  enableLayout->setSpacing(0);
  w.aprsState = SmallLabel(enable, QString());
  enableLayout->addWidget(w.aprsState, 0, Qt::AlignHCenter);
  aprs->layout()->addWidget(enable);
  w.aprsEnable =
      Button(enable, "SpeedButton5", "Enable/Disable APRS", Glyph::Aprs, true, enableLayout);
  w.monitoring = Button(aprs, "SpeedButton6", "Monitoring Mode", Glyph::Monitoring, true);
  w.tracking = Button(aprs, "SpeedButton7", "Tracking Mode", Glyph::Tracking, true);
  w.monitoring->setChecked(true);
  w.aprsModes = new QButtonGroup(aprs);
  w.aprsModes->addButton(w.monitoring);
  w.aprsModes->addButton(w.tracking);
  const char* captions[] = {"Link", "Rx", "Tx"};
  for (std::size_t k = 0; k < w.aprsLamps.size(); ++k) {
    aprs->layout()->addWidget(CaptionedLamp(aprs, captions[k], 10, w.aprsLamps[k]));
  }
  w.aprsCount = SmallLabel(aprs, QStringLiteral("Avail 00"));
  w.aprsCount->setObjectName(QStringLiteral("AprsCount"));
  w.aprsCount->setMinimumWidth(52);
  aprs->layout()->addWidget(w.aprsCount);
}

void BuildTools(QWidget* parent, QHBoxLayout* bar, MainWidgets& w) {
  QGroupBox* tools = Group(parent, bar, "Tools");
  w.settings = Button(tools, "SBSettings", "Settings", Glyph::Settings);
  w.loadRaw = Button(tools, "SBLoadRawFile", "Load RS41 RAW Data File", Glyph::OpenRaw, true);
  w.loadKml = Button(tools, "SBLoadKml", "Load kml Ghost Track", Glyph::GhostTrack, true);
  w.googleMap = Button(tools, "SBGoogleMap", "Show position on google map", Glyph::WebMap);
  w.rotor = Button(tools, "SBRotor", "Show antenna rotor panel", Glyph::Rotor);
  w.exportTelemetry =
      Button(tools, "SBExportTelemetry", "Export Radiosonde Telemetry", Glyph::SaveTable);
  w.about = Button(tools, "SBAbout", "About", Glyph::About);
  w.auxPanel = Button(tools, "SBAuxPanel", "Open Auxiliary Panel", Glyph::Auxiliary);
  w.signalMonitor = Button(tools, "SBSignalMonitor", "Open audio signal monitor", Glyph::Scope);
  w.gpsIn = Button(tools, "SBGpsIn", "Enable GPS IN interface", Glyph::Satellite, true);
  w.diagrams = Button(tools, "SBDiagrams", "Open diagrams window", Glyph::Chart);
  w.mapDownloader = Button(tools, "SBMapDownloader", "Offline map downloader", Glyph::Download);
  w.mapType = Button(tools, "SpeedButton15", "Map type selection", Glyph::Layers);
  w.mapTypeMenu = new QMenu(w.mapType);
  w.openStreetMap = w.mapTypeMenu->addAction(QStringLiteral("OpenStreetMap"));
  w.openTopoMap = w.mapTypeMenu->addAction(QStringLiteral("OpenTopoMap"));
  w.openStreetMap->setCheckable(true);
  w.openTopoMap->setCheckable(true);
  w.openStreetMap->setChecked(true);
}

}  // namespace

QWidget* BuildToolBar(QWidget* parent, MainWidgets& w) {
  auto* toolBar = new QWidget(parent);
  toolBar->setObjectName(QStringLiteral("ToolBar"));
  auto* bar = new QHBoxLayout(toolBar);
  bar->setContentsMargins(2, 0, 2, 0);
  bar->setSpacing(4);

  QGroupBox* decoding = Group(toolBar, bar, "RS41 Decoding");
  w.startAudio = Button(decoding, "SBStartAudio", "Start audio decoding", Glyph::Play, true);
  w.stopAudio = Button(decoding, "SBStopAudio", "Stop audio decoding", Glyph::Stop, true);
  w.stopAudio->setChecked(true);
  w.audioPair = new QButtonGroup(decoding);
  w.audioPair->addButton(w.startAudio);
  w.audioPair->addButton(w.stopAudio);

  QGroupBox* radio = Group(toolBar, bar, "Radio Control");
  w.startRadio = Button(radio, "SBStartRadio", "Start SDR# remote control", Glyph::RadioOn, true);
  w.stopRadio = Button(radio, "SBStopRadio", "Stop SDR# remote control", Glyph::RadioOff, true);
  w.stopRadio->setChecked(true);
  w.radioPair = new QButtonGroup(radio);
  w.radioPair->addButton(w.startRadio);
  w.radioPair->addButton(w.stopRadio);

  QGroupBox* track = Group(toolBar, bar, "GPS Track");
  auto* points = new QLabel(track);
  points->setTextFormat(Qt::PlainText);
  points->setObjectName(QStringLiteral("TrackPoints"));
  points->setMinimumWidth(48);
  points->setAlignment(Qt::AlignCenter);
  points->setFrameShape(QFrame::StyledPanel);
  points->setFrameShadow(QFrame::Sunken);
  w.readOuts[static_cast<std::size_t>(ReadOut::TrackPoints)] = points;
  track->layout()->addWidget(points);
  w.exportGps = Button(track, "SBExportGps", "Export GPS track", Glyph::SaveTrack);

  BuildMapControl(toolBar, bar, w);
  BuildAprs(toolBar, bar, w);
  BuildTools(toolBar, bar, w);
  bar->addStretch(1);
  return toolBar;
}

}  // namespace windlark
