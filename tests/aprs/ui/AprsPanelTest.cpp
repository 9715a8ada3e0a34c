#include "aprs/ui/AprsPanel.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "aprs/ui/Form10.h"

namespace windlark {
namespace {

TEST(AprsPanelTest, ShowsAReportAndOpensTheWebMapOnlyWithAPosition) {
  TAprsPanel panel;
  EXPECT_EQ(panel.windowTitle(), QStringLiteral("APRS Tracking"));
  EXPECT_TRUE(panel.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(panel.windowFlags() & Qt::WindowCloseButtonHint);
  std::vector<QString> opened;
  panel.SetUrlOpener([&](const QString& url) { opened.push_back(url); });
  EXPECT_EQ(panel.Value(QStringLiteral("Sonde ID")), QStringLiteral("Waiting data..."));
  auto* webMap = panel.findChild<QToolButton*>(QStringLiteral("SpeedButton1"));
  ASSERT_NE(webMap, nullptr);
  webMap->click();
  EXPECT_TRUE(opened.empty()) << "no position yet";

  TrackingPanelTexts t;
  t.sondeId = "S2";
  t.latitude = "33.000000\u00B0S";
  t.altitude = "-.- m";
  t.payload = "087/012 a long comment that wraps";
  t.linkLatitude = "-33.000000";
  t.linkLongitude = "-70.000000";
  panel.ShowReport(t);
  EXPECT_EQ(panel.Value(QStringLiteral("Latitude")), QStringLiteral("33.000000°S"));
  EXPECT_EQ(panel.Value(QStringLiteral("Payload")),
            QStringLiteral("087/012 a long comment that wraps"));
  webMap->click();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QStringLiteral("https://www.google.com/maps/place/-33.000000,-70.000000"));

  panel.ResetPanel();
  EXPECT_EQ(panel.Value(QStringLiteral("Sonde ID")), QStringLiteral("Waiting data..."));
  EXPECT_EQ(panel.Value(QStringLiteral("Latitude")), QString());
  EXPECT_EQ(panel.Value(QStringLiteral("Altitude")), QString());
  webMap->click();
  EXPECT_EQ(opened.size(), 2u) << "the link keeps the last position";
}

TEST(AprsPanelTest, SelectionDialogListsTheNamesSorted) {
  TForm10 dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("APRS Sonde tracking"));
  dialog.SetNames({"S3", "P1", "S10"});
  QComboBox* list = dialog.NameList();
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->itemText(0), QStringLiteral("P1"));
  EXPECT_EQ(list->itemText(1), QStringLiteral("S10"));
  EXPECT_EQ(list->itemText(2), QStringLiteral("S3"));
  EXPECT_EQ(dialog.SelectedName(), QStringLiteral("P1"));
  list->setCurrentIndex(2);
  auto* track = dialog.findChild<QPushButton*>(QStringLiteral("Track"));
  ASSERT_NE(track, nullptr);
  dialog.open();
  track->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.SelectedName(), QStringLiteral("S3"));
  dialog.SetNames({});
  EXPECT_EQ(dialog.SelectedName(), QString());
}

}  // namespace
}  // namespace windlark
