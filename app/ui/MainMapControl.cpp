// The main window's map controls: mouse, zoom, automatic centring, tile mode and type, the
// offline downloader, and the hand-over of settings to the map.
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

#include "app/MainWindowTexts.h"
#include "app/Version.h"
#include "app/ui/LampShape.h"
#include "app/ui/MainForm.h"
#include "base/Format.h"
#include "map/io/TileClient.h"
#include "map/ui/DynamicMap.h"
#include "map/ui/MapDownloaderUnit.h"
#include "map/ui/MapImage.h"

namespace windlark {

namespace {

constexpr int kAutocenterPauseMs = 10000;
const QColor kLampSuspended(255, 0, 0);
const QColor kLampIdle(240, 240, 240);

}  // namespace

void TmainForm::CreateMap() {
  TileServers servers = WithEnvironment({});
  servers.userAgent = "Windlark/" + FormatInt(kVersionMajor) + "." + FormatInt(kVersionMinor);
  m_map = new TDynMap(m_w.mapImage, servers, this);
  // Until the settings say otherwise, the cache is the executable's own folder.
  m_map->SetMapDir(QCoreApplication::applicationDirPath().toStdString());
  m_map->SetMapType(kMapTypeOpenStreetMap);
  m_map->SetTrackSource([this] { return m_chain->Log().MapTrack(); });
  m_map->Start();
  m_mapDownloader = new TMapDownloaderForm(m_prompts, {}, this);
  m_mapDownloader->SetServers(servers);
  m_autocenterTimer = new QTimer(this);
  m_autocenterTimer->setObjectName(QStringLiteral("AutocenterTimer"));
  m_autocenterTimer->setInterval(kAutocenterPauseMs);
}

void TmainForm::ConnectMap() {
  connect(m_map, &TDynMap::UpdateOSMMap, this, &TmainForm::UpdateOSMMap);
  connect(m_w.mapImage, &TMapImage::MouseDown, this, &TmainForm::Image1MouseDown);
  connect(m_w.mapImage, &TMapImage::MouseMove, this, &TmainForm::Image1MouseMove);
  connect(m_w.mapImage, &TMapImage::MouseUp, this, &TmainForm::Image1MouseUp);
  connect(m_w.mapImage, &TMapImage::Wheel, this, &TmainForm::FormMouseWheel);
  // The map's place can change without the window's size (the columns beside it grow).
  connect(m_w.mapImage, &TMapImage::Resized, this, [this] {
    if (m_started) FormResize();
  });
  connect(m_w.zoomPlus, &QToolButton::clicked, this, &TmainForm::SBZoomPlusClick);
  connect(m_w.zoomMinus, &QToolButton::clicked, this, &TmainForm::SBZoomMinusClick);
  connect(m_w.autoCenter, &QToolButton::clicked, this, &TmainForm::SBAutoCenterClick);
  connect(m_autocenterTimer, &QTimer::timeout, this, &TmainForm::AutocenterTimerTimer);
  connect(m_w.mapNet, &QToolButton::clicked, this, &TmainForm::SBMapNetClick);
  connect(m_w.mapDownload, &QToolButton::clicked, this, &TmainForm::SBMapDownloadClick);
  connect(m_w.mapDownloader, &QToolButton::clicked, this, &TmainForm::SBMapDownloaderClick);
  connect(m_w.openStreetMap, &QAction::triggered, this,
          [this] { ChangeMapTypePopup(kMapTypeOpenStreetMap); });
  connect(m_w.openTopoMap, &QAction::triggered, this,
          [this] { ChangeMapTypePopup(kMapTypeOpenTopoMap); });
}

void TmainForm::ShowZoom(int zoom) {
  m_view.SetText(ReadOut::ZoomLevel, FormatInt(zoom, 2));
}

void TmainForm::HandViewToDownloader() {
  if (m_mapDownloader->isVisible()) m_mapDownloader->SetArea(m_map->GetViewTiles());
}

void TmainForm::SuspendAutocenter() {
  if (!m_w.autoCenter->isChecked()) return;
  m_autocenterSuspended = true;
  m_w.autoCenterLamp->SetColour(kLampSuspended);
  m_autocenterTimer->start();  // a new press starts the 10 s again
}

void TmainForm::AutocenterTimerTimer() {
  m_autocenterTimer->stop();
  m_w.autoCenterLamp->SetColour(kLampIdle);
  m_autocenterSuspended = false;
}

void TmainForm::SBAutoCenterClick() {
  if (m_w.autoCenter->isChecked()) m_autocenterSuspended = false;
}

void TmainForm::Image1MouseDown(QPoint position) {
  SuspendAutocenter();
  m_map->BeginDrag(position.x(), position.y());
}

void TmainForm::Image1MouseMove(QPoint position) {
  m_map->DragTo(position.x(), position.y());
}

void TmainForm::Image1MouseUp(QPoint /*position*/) {
  if (!m_map->Dragging()) return;
  m_map->EndDrag();
  HandViewToDownloader();
}

void TmainForm::FormMouseWheel(int step) {
  if (step < 1) {
    SBZoomMinusClick();
  } else {
    SBZoomPlusClick();
  }
}

void TmainForm::SBZoomPlusClick() {
  const int zoom = m_map->GetZoom();
  if (zoom >= m_maxZoom) return;
  ShowZoom(zoom + 1);
  m_map->SetZoomKeepCenter(zoom + 1);
  HandViewToDownloader();
}

void TmainForm::SBZoomMinusClick() {
  const int zoom = m_map->GetZoom();
  if (zoom <= kMinZoom) return;
  ShowZoom(zoom - 1);
  m_map->SetZoomKeepCenter(zoom - 1);
  HandViewToDownloader();
}

void TmainForm::SBMapNetClick() {
  if (m_w.mapNet->isChecked()) {
    m_w.mapDownload->setEnabled(true);
    m_map->SetMapMode(m_w.mapDownload->isChecked() ? MapMode::OnlineAutosave : MapMode::Online);
    m_map->RequestTiles();
  } else {
    m_w.mapDownload->setEnabled(false);
    m_map->SetMapMode(MapMode::Offline);
  }
}

void TmainForm::SBMapDownloadClick() {
  m_map->SetMapMode(m_w.mapDownload->isChecked() ? MapMode::OnlineAutosave : MapMode::Online);
}

void TmainForm::SBMapDownloaderClick() {
  m_mapDownloader->SetArea(m_map->GetViewTiles());
  m_mapDownloader->show();
  m_mapDownloader->raise();
}

void TmainForm::ChangeMapTypePopup(int type) {
  m_w.openStreetMap->setChecked(type == kMapTypeOpenStreetMap);
  m_w.openTopoMap->setChecked(type == kMapTypeOpenTopoMap);
  m_map->SetMapType(type);
  m_maxZoom = MaxZoomOf(type);
  m_mapDownloader->SetMaxZoom(m_maxZoom);
  m_mapDownloader->SetMapType(type);
  if (m_map->GetZoom() > m_maxZoom) {
    ShowZoom(m_maxZoom);
    m_map->SetZoomKeepCenter(m_maxZoom);
    // The same tile numbers at another zoom: every slot loads from the new type anyway.
  } else {
    m_map->ReloadAll();
  }
}

void TmainForm::UpdateSonde(std::string_view speedText, int climb, double altitude, double mapX,
                            double mapY) {
  m_map->UpdateSonde(speedText, climb, altitude, mapX, mapY);
  if (m_w.autoCenter->isChecked() && !m_autocenterSuspended && m_map->IsSondeNearEdge()) {
    m_map->CenterOnMap(m_map->GetZoom(), mapX, mapY);
  }
}

void TmainForm::SetAprsSondes(std::vector<MapAprsSonde> sondes) {
  m_aprsSondes = std::move(sondes);
  m_map->SetAprsSondes(m_aprsSondes);
  m_map->Refresh();
}

void TmainForm::SetSmallMarkers(bool small) {
  m_map->SetSmallMarkers(small);
  m_map->Refresh();
}

void TmainForm::SetHome(double latitude, double longitude, double altitude) {
  ApplyHomePosition(latitude, longitude, altitude);
}

void TmainForm::ApplyMapSettings(const AppliedSettings& settings) {
  const int type = NormalMapType(settings.mapType);
  const bool sourceChanged = type != m_map->MapType() || settings.mapDir != m_mapDirApplied;
  m_mapDirApplied = settings.mapDir;
  m_map->SetMapType(type);
  // Without a folder from the settings the cache stays where it was.
  if (!settings.mapDir.empty()) m_map->SetMapDir(settings.mapDir);
  TileServers servers = WithEnvironment(settings.tileServers);
  servers.userAgent = "Windlark/" + FormatInt(kVersionMajor) + "." + FormatInt(kVersionMinor);
  m_map->SetServers(servers);
  m_mapDownloader->SetServers(servers);
  m_maxZoom = MaxZoomOf(type);
  m_mapDownloader->SetMaxZoom(m_maxZoom);
  m_mapDownloader->SetMapType(type);
  if (!settings.mapDir.empty()) m_mapDownloader->SetMapDir(settings.mapDir);
  const HomePosition& home = m_chain->Context().home;
  m_map->SetHome(home.mapX, home.mapY);
  m_map->SetMapMode(static_cast<MapMode>(settings.tileMode));
  const int zoom = std::min(settings.zoomLevel, m_maxZoom);
  ShowZoom(zoom);
  if (m_map->LaidOut() && m_map->GetZoom() != zoom) {
    // A view already laid out is laid out again at the stored zoom, keeping its centre.
    m_map->SetZoomKeepCenter(zoom);
  } else {
    m_map->SetZoomValue(zoom);
  }
  if (sourceChanged) {
    m_map->ReloadAll();
  } else {
    m_map->RequestTiles();
    m_map->Refresh();
  }
}

}  // namespace windlark
