// The offline downloader's window: area texts, totals, limits, a run and a cancelled run.
#include "map/ui/MapDownloaderUnit.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSpinBox>
#include <QTest>

#include "records/RecordsRig.h"
#include "support/TileServer.h"

namespace windlark {
namespace {

using test::TempFolder;

struct Answers {
  std::vector<QString> questions;
  std::vector<std::pair<Prompts::Icon, QString>> messages;
  bool yes = true;
};

std::unique_ptr<TMapDownloaderForm> MakeForm(Answers& answers) {
  Prompts prompts;
  prompts.message = [&answers](Prompts::Icon icon, const QString& text) {
    answers.messages.emplace_back(icon, text);
  };
  return std::make_unique<TMapDownloaderForm>(prompts, [&answers](const QString& text) {
    answers.questions.push_back(text);
    return answers.yes;
  });
}

TEST(MapDownloaderForm, AreaTextsTotalsAndZoomLimits) {
  Answers answers;
  auto form = MakeForm(answers);
  EXPECT_EQ(form->windowTitle(), "Offline Map Downloader");
  EXPECT_EQ(form->PanelText(0), "Download");
  EXPECT_EQ(form->PanelText(1), "Fail");
  EXPECT_EQ(form->PanelText(2), "Skip");
  form->SetArea(12, 2170, 2173, 1476, 1478);
  EXPECT_EQ(form->FromText(), "12,(2170-2173),(1476-1478)");
  EXPECT_EQ(form->TargetZoom(), 12);
  EXPECT_EQ(form->Total(), 12);
  form->ZoomControl()->setValue(14);
  EXPECT_EQ(form->ToText(), "14,(8680-8695),(5904-5915)");
  EXPECT_EQ(form->Total(), 252);
  form->ZoomControl()->setValue(11);
  EXPECT_EQ(form->TargetZoom(), 12);  // never above the view

  // OpenTopoMap: the target comes down to 16.
  form->ZoomControl()->setValue(18);
  form->SetMaxZoom(16);
  EXPECT_EQ(form->TargetZoom(), 16);
  EXPECT_EQ(form->ZoomControl()->maximum(), 16);
  EXPECT_EQ(form->ToText(), "16,(34720-34783),(23616-23663)");

  answers.yes = false;
  form->Button1Click();
  ASSERT_EQ(answers.questions.size(), 1U);
  EXPECT_EQ(answers.questions[0], "Are you sure you want to download 4092 tiles?");
  EXPECT_FALSE(form->Downloading());
}

TEST(MapDownloaderForm, ARunEndsWithItsMessageAndCancelTerminatesIt) {
  TileServer server;
  TempFolder dir;
  Answers answers;
  auto form = MakeForm(answers);
  TileServers servers;
  servers.openStreetMapUrl = server.BaseUrl().toStdString();
  form->SetServers(servers);
  form->SetMapDir(dir.Path().string());
  form->SetArea(12, 2170, 2173, 1476, 1478);
  form->Button1Click();
  EXPECT_TRUE(form->Downloading());
  EXPECT_FALSE(form->OverwriteBox()->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.messages.empty(); }, 30000));
  EXPECT_EQ(answers.messages[0].second, "Download Completed\r\nDownloaded Tiles = 12");
  EXPECT_TRUE(form->OverwriteBox()->isEnabled());
  EXPECT_EQ(form->PanelText(0), "Download");

  // Again, deeper: the view's 12 tiles are skipped; cancel after a few more.
  form->ZoomControl()->setValue(16);
  form->Button1Click();
  const auto downloaded = [&] {
    const QString text = form->PanelText(0);
    return text.startsWith("Download ") ? text.mid(9).section('/', 0, 0).toInt() : 0;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return downloaded() >= 3; }, 30000))
      << form->PanelText(0).toStdString();
  EXPECT_EQ(form->PanelText(2), "Skip 12");
  form->Button2Click();
  EXPECT_FALSE(form->Downloading());
  EXPECT_EQ(form->PanelText(0), "Download");
  ASSERT_TRUE(QTest::qWaitFor([&] { return answers.messages.size() == 2; }, 30000));
  EXPECT_TRUE(
      answers.messages[1].second.startsWith("Download Terminated by user\r\nDownloaded Tiles = "));
  EXPECT_EQ(answers.messages[1].first, Prompts::Icon::Information);

  // A folder that cannot be made.
  form->SetMapDir((dir / "t01" / "12" / "2170" / "1476.png" / "x").string());
  form->Button1Click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return answers.messages.size() == 3; }, 30000));
  EXPECT_EQ(answers.messages[2].second,
            "Unable to to create map directory.\r\nPlease verify map path into settings");
  EXPECT_EQ(answers.messages[2].first, Prompts::Icon::Error);
}

}  // namespace
}  // namespace windlark
