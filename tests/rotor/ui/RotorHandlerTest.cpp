// The "Antenna Rotor" window over real links: the AZ/EL files and a scripted GS-232 controller.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "rotor/RotorStore.h"
#include "rotor/io/RotorDevices.h"
#include "rotor/ui/RotorHandler.h"

namespace windlark {
namespace {

class RotorHandlerTest : public testing::Test {
 protected:
  RotorHandlerTest() {
    m_dir = std::filesystem::path(testing::TempDir()) / "rotor-handler" /
            testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(m_dir);
    settings.presets = {{"Launch site", 123, 4}, {"North", 0, 10}, {"", 0, 0}, {"Ridge", 359, 90}};
    settings.sensitivityDeg = 1;
    window.SetStoreDir(QString::fromStdString((m_dir / "Rotor").string()));
    window.SetErrorPrompt([this](const QString& text) { errors.push_back(text.toStdString()); });
  }
  template <class T>
  T* Find(const char* name) {
    T* widget = window.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
  std::string Text(const char* name) { return Find<QLabel>(name)->text().toStdString(); }
  std::optional<std::string> Stored(const char* name) const {
    return RotorStore(m_dir / "Rotor").Read(name);
  }
  bool StoredAt(const std::string& azimuth, const std::string& elevation) const {
    return QTest::qWaitFor([&] { return Stored("AZ") == azimuth && Stored("EL") == elevation; },
                           3000);
  }
  void ConnectFiles() {
    settings.protocol = 1;
    window.SetSettings(settings);
    Button("ButtonConnect")->click();
  }

  std::filesystem::path m_dir;
  RotorSettings settings;
  TRotorHandler window;
  std::vector<std::string> errors;
};

TEST_F(RotorHandlerTest, StartsDisconnectedWithOnlyConnectUsable) {
  EXPECT_EQ(window.windowTitle(), "Antenna Rotor");
  EXPECT_TRUE(Button("ButtonConnect")->isEnabled());
  for (const char* name :
       {"ButtonDisconnect", "ButtonStartTracking", "ButtonStop", "ButtonMoveTo", "ButtonGo"}) {
    EXPECT_FALSE(Button(name)->isEnabled()) << name;
  }
  EXPECT_FALSE(Find<QComboBox>("ComboPresets")->isEnabled());
  EXPECT_FALSE(Find<QLineEdit>("EditAz")->isEnabled());
  EXPECT_EQ(Text("StatusLink"), "Not Connected");
  EXPECT_EQ(Text("StatusRotor"), "Rotor: N/A");
}

TEST_F(RotorHandlerTest, SerialProtocolWithoutAPortShowsTheMessage) {
  settings.protocol = 0;
  window.SetSettings(settings);
  Button("ButtonConnect")->click();
  ASSERT_EQ(errors.size(), 1U);
  EXPECT_EQ(errors[0],
            "Rotor serial port non configured\rPlease set valid value into settings window.");
  EXPECT_EQ(window.windowTitle(), "Antenna Rotor (Yaesu AZ/EL (GS232 A/ GS232B))");
  EXPECT_TRUE(Button("ButtonConnect")->isEnabled());
  EXPECT_FALSE(window.LinkRunning());
}

TEST_F(RotorHandlerTest, MissingPortLeavesOnlyConnect) {
  settings.protocol = 2;
  settings.portName = (m_dir / "ttyUSB9").string();
  window.SetSettings(settings);
  Button("ButtonConnect")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.LinkRunning(); }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Button("ButtonConnect")->isEnabled(); }, 2000));
  EXPECT_EQ(Text("StatusLink"), "Serial: Cannot open " + settings.portName + " port");
  EXPECT_FALSE(Button("ButtonDisconnect")->isEnabled());
  EXPECT_FALSE(Button("ButtonStartTracking")->isEnabled());
}

TEST_F(RotorHandlerTest, FilesPresetsInstantSetAndTyping) {
  ConnectFiles();
  EXPECT_EQ(window.windowTitle(), "Antenna Rotor (Registry keys)");
  EXPECT_EQ(Text("StatusLink"), "Registry: Opened");
  EXPECT_FALSE(Button("ButtonStop")->isEnabled());  // the files have nothing to stop
  EXPECT_TRUE(Button("ButtonGo")->isEnabled());
  auto* presets = Find<QComboBox>("ComboPresets");
  ASSERT_EQ(presets->count(), 3);
  EXPECT_EQ(presets->itemText(2), "Ridge");

  Button("ButtonMoveTo")->click();  // nothing chosen: nothing happens
  EXPECT_FALSE(Stored("AZ"));
  presets->setCurrentIndex(2);  // the row after a blank one
  Button("ButtonMoveTo")->click();
  ASSERT_TRUE(StoredAt("359", "090"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Text("LabelAzimuth") == "359\u00B0"; }, 3000));

  // "Go" with empty fields goes to 0, 0.
  Button("ButtonGo")->click();
  ASSERT_TRUE(StoredAt("000", "000"));

  auto* az = Find<QLineEdit>("EditAz");
  auto* el = Find<QLineEdit>("EditEl");
  QTest::keyClicks(az, "360");
  EXPECT_EQ(az->text(), "36");
  QTest::keyClicks(az, "x");
  EXPECT_EQ(az->text(), "36");
  QTest::keyClick(az, Qt::Key_Backspace);
  QTest::keyClicks(az, "5");
  EXPECT_EQ(az->text(), "35");
  QTest::keyClicks(el, "181");
  EXPECT_EQ(el->text(), "18");
  QTest::keyClicks(el, "-");
  EXPECT_EQ(el->text(), "18");
  Button("ButtonGo")->click();
  ASSERT_TRUE(StoredAt("035", "018"));
  EXPECT_EQ(window.LastAzimuth(), 35);

  // The grid edited under the open window.
  settings.presets.pop_back();
  window.SetSettings(settings);
  presets->setCurrentIndex(2);
  Button("ButtonMoveTo")->click();
  ASSERT_EQ(errors.size(), 1U);
  EXPECT_EQ(errors[0],
            "Data list error.\rPlease do not modify preset settings while antenna rotor "
            "controller is running.");
}

TEST_F(RotorHandlerTest, TrackingFollowsTheSensitivityAndSurvivesReconnection) {
  settings.sensitivityDeg = 5;
  ConnectFiles();
  Button("ButtonStartTracking")->click();
  EXPECT_TRUE(window.Tracking());
  EXPECT_EQ(Button("ButtonStartTracking")->text(), "Stop Tracking");
  EXPECT_FALSE(Button("ButtonGo")->isEnabled());
  EXPECT_FALSE(Find<QComboBox>("ComboPresets")->isEnabled());
  window.TrackTo(4, 0);  // within 5 degrees of 0, 0
  QTest::qWait(700);
  EXPECT_FALSE(Stored("AZ"));
  window.TrackTo(5, 0);
  ASSERT_TRUE(StoredAt("005", "000"));
  window.TrackTo(9, 3);
  QTest::qWait(700);
  EXPECT_EQ(Stored("AZ"), "005");
  window.TrackTo(10, 3);  // five east of the last command
  ASSERT_TRUE(StoredAt("010", "003"));
  window.TrackTo(10, -2);  // five below it
  ASSERT_TRUE(StoredAt("010", "-002"));

  Button("ButtonDisconnect")->click();
  EXPECT_EQ(Text("StatusLink"), "Status: Not Connected");
  EXPECT_TRUE(window.Tracking());
  ConnectFiles();
  EXPECT_FALSE(Button("ButtonGo")->isEnabled());  // still tracking: manual controls stay off
  window.TrackTo(20, -2);
  ASSERT_TRUE(StoredAt("020", "-002"));

  // "Stop" ends tracking as the toggle does.
  Button("ButtonStartTracking")->click();
  EXPECT_EQ(Button("ButtonStartTracking")->text(), "Start Tracking");
  EXPECT_TRUE(Button("ButtonGo")->isEnabled());
  window.TrackTo(90, 45);
  QTest::qWait(700);
  EXPECT_EQ(Stored("AZ"), "020");
}

TEST_F(RotorHandlerTest, Gs232LinkEnablesStopAndAPulledAdapterDisconnects) {
  test::RotorController controller(m_dir / "pty");
  ASSERT_TRUE(controller.Start());
  controller.respond = [](const std::string& command) -> std::optional<std::string> {
    if (command == "c2") return std::string("AZ=010EL=020\r");
    return std::string("\r");
  };
  settings.protocol = 0;
  settings.portName = controller.Device();
  settings.queryPeriodS = 0;
  window.SetSettings(settings);
  Button("ButtonConnect")->click();
  EXPECT_FALSE(Button("ButtonConnect")->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return Button("ButtonStop")->isEnabled(); }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Text("LabelElevation") == "020\u00B0"; }, 8000));
  Button("ButtonStartTracking")->click();
  window.TrackTo(45, 10);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return std::find(controller.commands.begin(), controller.commands.end(), "W045 010") !=
               controller.commands.end();
      },
      5000));
  Button("ButtonStop")->click();
  EXPECT_FALSE(window.Tracking());
  ASSERT_TRUE(QTest::qWaitFor([&] { return Text("StatusRotor") == "Rotor [S]: Ok"; }, 5000));
  controller.Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Button("ButtonConnect")->isEnabled(); }, 8000));
  EXPECT_EQ(Text("StatusLink"), "Serial: " + controller.Device() + " port lost");
  EXPECT_FALSE(Button("ButtonDisconnect")->isEnabled());
  EXPECT_FALSE(window.LinkRunning());
}

}  // namespace
}  // namespace windlark
