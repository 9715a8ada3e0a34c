// The main window's map controls: zoom buttons and limits, map type, automatic centring, the
// APRS sondes, the home and the settings hand-over.
#include <gtest/gtest.h>

#include <QAction>
#include <QSpinBox>
#include <QToolButton>

#include "app/ui/LampShape.h"
#include "app/ui/MainFormRig.h"
#include "base/Projection.h"
#include "map/ui/DynamicMap.h"
#include "map/ui/MapDownloaderUnit.h"
#include "map/ui/MapImage.h"

namespace windlark {
namespace {

using test::MainFormTest;

class MainFormMapTest : public MainFormTest {
 protected:
  std::unique_ptr<TmainForm> Started() {
    auto window = MakeWindow();
    Start(*window);
    return window;
  }
  static std::string Zoom(TmainForm& window) { return window.Panels().Text(ReadOut::ZoomLevel); }
  static ViewPoint Where(TmainForm& window, double x, double y) {
    return ViewPosition(window.Map().Layout(), x, y);
  }
};

TEST_F(MainFormMapTest, StartsAtHomeAndZoomsWithinTheLimitsOfTheMapType) {
  auto window = Started();
  TDynMap& map = window->Map();
  const QSize view = window->Widgets().mapImage->ViewSize();
  const HomePosition& home = window->Chain().Context().home;
  const ViewPoint h = Where(*window, home.mapX, home.mapY);
  EXPECT_EQ(h.x, view.width() / 2);
  EXPECT_EQ(h.y, view.height() / 2);
  EXPECT_EQ(map.GetZoom(), 12);

  for (int i = 0; i < 10; ++i) window->SBZoomPlusClick();
  EXPECT_EQ(map.GetZoom(), 19);
  EXPECT_EQ(Zoom(*window), "19");
  window->SBZoomMinusClick();
  window->FormMouseWheel(-1);
  EXPECT_EQ(Zoom(*window), "17");
  window->FormMouseWheel(1);
  EXPECT_EQ(map.GetZoom(), 18);

  // OpenStreetMap at 18 to OpenTopoMap: out to 16 about the same centre.
  window->Widgets().openTopoMap->trigger();
  EXPECT_EQ(map.GetZoom(), 16);
  EXPECT_EQ(Zoom(*window), "16");
  EXPECT_EQ(map.MapType(), 2);
  EXPECT_TRUE(window->Widgets().openTopoMap->isChecked());
  EXPECT_FALSE(window->Widgets().openStreetMap->isChecked());
  EXPECT_EQ(window->MapDownloader().ZoomControl()->maximum(), 16);
  const ViewPoint c = Where(*window, home.mapX, home.mapY);
  EXPECT_NEAR(static_cast<double>(c.x), view.width() / 2, 1);
  window->SBZoomPlusClick();
  EXPECT_EQ(map.GetZoom(), 16);

  for (int i = 0; i < 20; ++i) window->SBZoomMinusClick();
  EXPECT_EQ(map.GetZoom(), 3);
  EXPECT_EQ(Zoom(*window), "03");
  window->Widgets().openStreetMap->trigger();
  EXPECT_EQ(window->MaxZoom(), 19);
  EXPECT_EQ(map.GetZoom(), 3);
}

TEST_F(MainFormMapTest, NearTheEdgeTheMapFollowsTheSondeUnlessAPressSuspendedIt) {
  auto window = Started();
  DecoderHooks& hooks = *window;
  const QSize view = window->Widgets().mapImage->ViewSize();
  const GridLayout start = window->Map().Layout();
  const double s = std::pow(2.0, 12) * 256;
  const HomePosition& home = window->Chain().Context().home;
  // 100 px from the left edge: no move; 99 px: centred on the sonde.
  const double x100 = home.mapX + (100 - view.width() / 2) / s;
  hooks.UpdateSonde("1.0 m/s", 1, 500, x100, home.mapY);
  EXPECT_EQ(window->Map().Layout().originX, start.originX);
  const double x99 = home.mapX + (99 - view.width() / 2) / s;
  hooks.UpdateSonde("1.0 m/s", 1, 500, x99, home.mapY);
  EXPECT_EQ(Where(*window, x99, home.mapY).x, view.width() / 2);

  // A press on the map: suspended for 10 s, the lamp red; positions near the edge stay there.
  window->Image1MouseDown(QPoint(10, 10));
  window->Image1MouseUp(QPoint(10, 10));
  EXPECT_TRUE(window->AutocenterSuspended());
  EXPECT_EQ(window->Widgets().autoCenterLamp->Colour(), QColor(255, 0, 0));
  const double edge = x99 + (10 - view.width() / 2) / s;
  hooks.UpdateSonde("1.0 m/s", 1, 500, edge, home.mapY);
  EXPECT_EQ(Where(*window, edge, home.mapY).x, 10);
  window->AutocenterTimerTimer();
  EXPECT_FALSE(window->AutocenterSuspended());
  EXPECT_EQ(window->Widgets().autoCenterLamp->Colour(), QColor(240, 240, 240));
  hooks.UpdateSonde("1.0 m/s", 1, 500, edge, home.mapY);
  EXPECT_EQ(Where(*window, edge, home.mapY).x, view.width() / 2);

  // "Autocenter Map" up: never.
  window->Widgets().autoCenter->click();
  const double far = edge + (20 - view.width() / 2) / s;
  hooks.UpdateSonde("1.0 m/s", 1, 500, far, home.mapY);
  EXPECT_EQ(Where(*window, far, home.mapY).x, 20);
}

TEST_F(MainFormMapTest, AprsSondesAndTheHomeAreDrawnFromWhatTheWindowIsHanded) {
  auto window = Started();
  const QSize view = window->Widgets().mapImage->ViewSize();
  const MapPoint p = Project(44.6, 7.7);
  MapAprsSonde sonde;
  sonde.name = "T1234567";
  sonde.mapX = p.x;
  sonde.mapY = p.y;
  sonde.ownSonde = true;
  window->SetAprsSondes({sonde});
  const ViewPoint at = Where(*window, p.x, p.y);
  ASSERT_TRUE(InsideView(at, view.width(), view.height()));
  const QImage& picture = window->Widgets().mapImage->Picture();
  EXPECT_EQ(picture.pixelColor(static_cast<int>(at.x) + 3, static_cast<int>(at.y) - 3),
            QColor(0, 255, 0));

  // The station moves: the home marker follows.
  window->SetHome(44.55, 7.65, 300);
  const HomePosition& home = window->Chain().Context().home;
  EXPECT_DOUBLE_EQ(home.latitude, 44.55);
  const ViewPoint h = Where(*window, home.mapX, home.mapY);
  EXPECT_EQ(window->Widgets().mapImage->Picture().pixelColor(static_cast<int>(h.x) + 5,
                                                             static_cast<int>(h.y)),
            QColor(255, 255, 0));
}

TEST_F(MainFormMapTest, SettingsAppliedToALaidOutViewLayItOutAgainAboutItsCentre) {
  auto window = Started();
  TDynMap& map = window->Map();
  window->SBZoomPlusClick();
  window->SBZoomPlusClick();
  const QSize view = window->Widgets().mapImage->ViewSize();
  const MapXY centre = ViewCentre(map.Layout(), view.width(), view.height());
  AppliedSettings settings = window->Settings();
  settings.zoomLevel = 7;
  settings.tileMode = TileMode::Offline;
  window->ApplySettings(settings);
  EXPECT_EQ(map.GetZoom(), 7);
  EXPECT_EQ(map.Layout().zoom, 7);
  EXPECT_EQ(Zoom(*window), "07");
  const MapXY after = ViewCentre(map.Layout(), view.width(), view.height());
  EXPECT_NEAR(after.x, centre.x, 2.0 / 128 / 256);
  EXPECT_NEAR(after.y, centre.y, 2.0 / 128 / 256);

  // A new sonde: back to the default zoom (7 now).
  window->SBZoomPlusClick();
  static_cast<DecoderHooks&>(*window).OnNewSonde();
  EXPECT_EQ(map.GetZoom(), 7);
  EXPECT_EQ(Zoom(*window), "07");
}

TEST_F(MainFormMapTest, OnlineOfflineAndSaveButtons) {
  auto window = Started();
  QToolButton* net = window->Widgets().mapNet;
  QToolButton* save = window->Widgets().mapDownload;
  net->click();
  EXPECT_FALSE(net->isChecked());
  EXPECT_FALSE(save->isEnabled());
  net->click();
  EXPECT_TRUE(save->isEnabled());
  window->Widgets().mapDownloader->click();
  EXPECT_TRUE(window->MapDownloader().isVisible());
  const TileArea area = window->Map().GetViewTiles();
  EXPECT_EQ(window->MapDownloader().FromText().toStdString(), AreaText(area));
  window->SBZoomPlusClick();
  EXPECT_EQ(window->MapDownloader().FromText().toStdString(),
            AreaText(window->Map().GetViewTiles()));
  window->close();
}

}  // namespace
}  // namespace windlark
