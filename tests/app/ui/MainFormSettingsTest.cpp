// The main window with its settings file: what start-up applies, and the "Settings" button.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QToolButton>

#include "app/ui/AudioControl.h"
#include "app/ui/MainFormRig.h"
#include "app/ui/SettingsForm.h"
#include "base/io/LocaleSeparator.h"

namespace windlark {
namespace {

class MainFormSettingsTest : public test::MainFormTest {
 protected:
  std::string StationIni(const std::string& rawLines) const {
    return "[Audio Settings]\r\nInputInterface=1\r\n"
           "[Logs Files]\r\n" +
           rawLines +
           "[Maps Settings]\r\nDefault Map Type=2\r\nOnline Map Mode=0\r\n"
           "Default Zoom Level=9\r\nHome Lat=52.2094\r\nHome Long=14.1221\r\nHome Altitude=112\r\n"
           "[Meas Units]\r\nWind Speed=1\r\nVertical Speed=2\r\n"
           "[Aprs]\r\nEnable=1\r\nCallSign=DL1ABC-7\r\nPassword=12345\r\nServerNum=1\r\n";
  }

  template <class T>
  static T* Control(QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
};

TEST_F(MainFormSettingsTest, StartupAppliesTheSettingsFile) {
  const std::string rawDir = Path("raw-out").string();
  std::filesystem::create_directories(rawDir);
  UseSettingsFile(StationIni("Save Raw Data=1\r\nRawDir=" + rawDir + "\r\n"));
  const std::string wav = Sim("flight.wav", "--frames 6 --start-fragment 0 --lat 52.3 --lon 14.2");
  auto window = MakeWindow(std::make_unique<FileAudioSource>(wav, FileAudioSource::Format::Wav));
  Start(*window);

  const PanelView& view = window->Panels();
  EXPECT_EQ(view.Text(ReadOut::ZoomLevel), "09");
  EXPECT_EQ(view.StatusPanel(2, 2), "Save Raw File: Enabled");
  const DecodeContext& ctx = window->Chain().Context();
  EXPECT_DOUBLE_EQ(ctx.home.latitude, 52.2094);
  EXPECT_DOUBLE_EQ(ctx.home.longitude, 14.1221);
  EXPECT_DOUBLE_EQ(ctx.home.altitude, 112);
  EXPECT_DOUBLE_EQ(window->Chain().State().latitude, 52.2094);
  EXPECT_DOUBLE_EQ(window->Chain().State().longitude, 14.1221);
  EXPECT_EQ(ctx.settings.defaultZoom, 9);
  EXPECT_EQ(ctx.settings.windSpeedUnit, SpeedUnit::KilometresPerHour);
  EXPECT_EQ(ctx.settings.verticalSpeedUnit, SpeedUnit::Knots);
  const MainWidgets& w = window->Widgets();
  EXPECT_TRUE(w.aprsEnable->isEnabled());
  EXPECT_FALSE(w.gpsIn->isEnabled()) << "no GPS port is there";
  EXPECT_TRUE(w.openTopoMap->isChecked());
  EXPECT_FALSE(w.mapNet->isChecked());
  EXPECT_FALSE(w.mapDownload->isEnabled());
  EXPECT_TRUE(m_prompts.messages.empty());
  ASSERT_NE(window->SettingsDialog(), nullptr);
  EXPECT_EQ(Control<QSpinBox>(*window->SettingsDialog(), "SpinZoomLevel")->value(), 9);

  // The device of the file is opened, and the frames go to the raw folder of the file.
  w.startAudio->click();
  EXPECT_EQ(m_source.lastDevice, 1);
  EXPECT_EQ(view.StatusPanel(1, 1), "Input source: USB Receiver");
  for (int k = 0; k < 6 * 2 + 4; ++k) window->Audio().Timer1Timer();
  ASSERT_EQ(view.Text(ReadOut::SondeId), "T1234567");
  EXPECT_TRUE(view.Text(ReadOut::VerticalSpeed).ends_with(" kts"))
      << view.Text(ReadOut::VerticalSpeed);
  EXPECT_TRUE(view.Text(ReadOut::WindSpeed).ends_with(" km/h")) << view.Text(ReadOut::WindSpeed);
  int rawFiles = 0;
  for (const auto& entry : std::filesystem::directory_iterator(rawDir)) {
    rawFiles += entry.is_regular_file() ? 1 : 0;
  }
  EXPECT_EQ(rawFiles, 1);
}

TEST_F(MainFormSettingsTest, RawFolderStateAndItsMessage) {
  struct Case {
    const char* name;
    std::string rawLines;
    const char* status;
    const char* message;  // "" for none
  };
  const std::string missing = Path("no-such-folder").string();
  const Case cases[] = {
      {"capture off", "Save Raw Data=0\r\n", "Save Raw File: Disabled", ""},
      {"missing folder", "Save Raw Data=1\r\nRawDir=" + missing + "\r\n", "Save Raw File: Disabled",
       "Invalid RawFile folder.\rSave Raw file disabled."},
      {"default folder made", "", "Save Raw File: Enabled", ""},
  };
  for (const Case& c : cases) {
    m_prompts = {};
    UseSettingsFile(StationIni(c.rawLines));
    auto window = MakeWindow();
    Start(*window);
    EXPECT_EQ(window->Panels().StatusPanel(2, 2), c.status) << c.name;
    if (*c.message == '\0') {
      EXPECT_TRUE(m_prompts.messages.empty()) << c.name;
    } else {
      ASSERT_EQ(m_prompts.messages.size(), 1U) << c.name;
      EXPECT_EQ(m_prompts.messages[0].first, Prompts::Icon::Error) << c.name;
      EXPECT_EQ(m_prompts.messages[0].second.toStdString(), c.message) << c.name;
    }
    EXPECT_EQ(window->Chain().State().saveRaw, std::string(c.status).ends_with("Enabled"))
        << c.name;
  }
  EXPECT_TRUE(std::filesystem::is_directory(Path("bin") / "RawData"));
}

TEST_F(MainFormSettingsTest, SettingsButtonSavesOnOkAndReloadsEitherWay) {
  UseSettingsFile(StationIni("Save Raw Data=0\r\n"));
  auto window = MakeWindow();
  Start(*window);
  ASSERT_EQ(window->Panels().Text(ReadOut::ZoomLevel), "09");

  // The user changes the zoom, the home and the audio autorun, and saves.
  m_dialogPrompts.play = [](QDialog& dialog) {
    Control<QSpinBox>(dialog, "SpinZoomLevel")->setValue(15);
    Control<QLineEdit>(dialog, "EditHomeLatitude")->setText("45.1234");
    Control<QAbstractButton>(dialog, "ButtonSave")->click();
  };
  window->Widgets().settings->click();
  const std::string saved = SettingsFileText();
  EXPECT_NE(saved.find("Default Zoom Level=15\r\n"), std::string::npos) << saved;
  // The settings file writes reals with the user's decimal separator.
  const std::string lat = std::string("Home Lat=45") + LocaleDecimalSeparator() + "1234\r\n";
  EXPECT_NE(saved.find(lat), std::string::npos) << saved;
  EXPECT_EQ(window->Panels().Text(ReadOut::ZoomLevel), "15");
  EXPECT_DOUBLE_EQ(window->Chain().Context().home.latitude, 45.1234);
  EXPECT_DOUBLE_EQ(window->Chain().State().latitude, 45.1234);

  // Edits that are cancelled leave the file and the window as they were, and the dialog shows
  // the file again.
  m_dialogPrompts.play = [](QDialog& dialog) {
    Control<QSpinBox>(dialog, "SpinZoomLevel")->setValue(4);
    dialog.reject();
  };
  window->Widgets().settings->click();
  EXPECT_EQ(SettingsFileText(), saved);
  EXPECT_EQ(window->Panels().Text(ReadOut::ZoomLevel), "15");
  EXPECT_EQ(Control<QSpinBox>(*window->SettingsDialog(), "SpinZoomLevel")->value(), 15);
  EXPECT_TRUE(m_dialogPrompts.shown.empty());
  EXPECT_TRUE(m_prompts.messages.empty());
}

TEST_F(MainFormSettingsTest, TheDeviceListIsReadAgainWhenTheDialogOpens) {
  UseSettingsFile("[Audio Settings]\r\nInputInterface=1\r\n");
  auto window = MakeWindow();
  Start(*window);
  // A device plugged in after start-up appears, and the chosen one stays chosen.
  m_deviceList = {"Line In", "Headset", "USB Receiver"};
  QStringList shown;
  QString current;
  m_dialogPrompts.play = [&](QDialog& dialog) {
    auto* list = Control<QListWidget>(dialog, "ListAudioDevices");
    for (int k = 0; k < list->count(); ++k) shown << list->item(k)->text();
    current = list->currentItem() != nullptr ? list->currentItem()->text() : QString();
    dialog.reject();
  };
  window->Widgets().settings->click();
  EXPECT_EQ(shown, (QStringList{"Line In", "Headset", "USB Receiver"}));
  EXPECT_EQ(current, "USB Receiver");
}

}  // namespace
}  // namespace windlark
