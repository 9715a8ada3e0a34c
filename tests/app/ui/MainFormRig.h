#pragma once

#include <QAbstractButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/io/SettingsStore.h"
#include "app/ui/MainForm.h"
#include "app/ui/RecordingPrompts.h"
#include "cli/CliRunner.h"
#include "signal/FileAudioSource.h"

namespace windlark::test {

inline const std::string kSim = RS41SIM;
inline const std::string kCli = WINDLARK_CLI;

// Answers the window's dialogs and keeps what it was asked and told.
struct PromptLog {
  std::vector<std::pair<Prompts::Icon, QString>> messages;
  std::vector<Prompts::OpenRequest> opens;
  std::vector<Prompts::SaveRequest> saves;
  std::vector<QString> urls;
  QString openAnswer;
  Prompts::SaveAnswer saveAnswer;

  Prompts Make() {
    Prompts prompts;
    prompts.message = [this](Prompts::Icon icon, const QString& text) {
      messages.emplace_back(icon, text);
    };
    prompts.openFile = [this](const Prompts::OpenRequest& request) {
      opens.push_back(request);
      return openAnswer;
    };
    prompts.saveFile = [this](const Prompts::SaveRequest& request) {
      saves.push_back(request);
      return saveAnswer;
    };
    prompts.openUrl = [this](const QString& url) { urls.push_back(url); };
    return prompts;
  }
};

// What the window did with its sound input.
struct SourceLog {
  int opens = 0;
  int closes = 0;
  int starts = 0;
  int lastDevice = -99;
};

// A sound input that records its calls, refuses to open when told, and otherwise hands its
// buffers to `inner` (or leaves them unfilled).
class RecordingSource : public AudioSource {
 public:
  RecordingSource(SourceLog& log, int openResult, std::unique_ptr<AudioSource> inner = nullptr)
      : m_log(log), m_openResult(openResult), m_inner(std::move(inner)) {}
  int Open(int deviceIndex) override {
    ++m_log.opens;
    m_log.lastDevice = deviceIndex;
    if (m_openResult != 0) return m_openResult;
    return m_inner ? m_inner->Open(deviceIndex) : 0;
  }
  void AddBuffer(WaveHeader& header) override {
    if (m_inner) m_inner->AddBuffer(header);
  }
  void Start() override {
    ++m_log.starts;
    if (m_inner) m_inner->Start();
  }
  void Reset() override {
    if (m_inner) m_inner->Reset();
  }
  void Close() override {
    ++m_log.closes;
    if (m_inner) m_inner->Close();
  }
  std::string ErrorText() const override { return m_openResult != 0 ? "device busy" : ""; }

 private:
  SourceLog& m_log;
  int m_openResult;
  std::unique_ptr<AudioSource> m_inner;
};

// A window with test dialogs, two named capture devices and a recording sound input.
class MainFormTest : public ScratchDirTest {
 protected:
  std::unique_ptr<TmainForm> MakeWindow(std::unique_ptr<AudioSource> inner = nullptr,
                                        int openResult = 0, QString replayFile = {}) {
    TmainForm::Options options;
    auto source = std::make_unique<RecordingSource>(m_source, openResult, std::move(inner));
    auto sourceSlot = std::make_shared<std::unique_ptr<AudioSource>>(std::move(source));
    options.audioSource = [sourceSlot] { return std::move(*sourceSlot); };
    options.deviceNames = [this] { return m_deviceList; };
    options.defaultDeviceName = [] { return std::string("Built-in Audio"); };
    options.prompts = m_prompts.Make();
    options.settingsStore = m_store;
    options.settingsPrompts = &m_dialogPrompts;
    options.replayFile = std::move(replayFile);
    options.aprsClient = m_aprsClient;
    if (m_options) m_options(options);
    return std::make_unique<TmainForm>(std::move(options));
  }

  // Shows the window and waits for its start-up step.
  static void Start(TmainForm& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Started(); }, 5000));
  }

  std::string Sim(const std::string& name, const std::string& options) {
    const std::string path = Path(name).string();
    const auto r = Run(kSim + " " + options + " -o " + path);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return path;
  }

  // A flight recorded as a raw file by the command line.
  std::string RecordRaw(const std::string& simOptions) {
    const std::string wav = Sim("raw-source.wav", simOptions);
    std::filesystem::create_directories(Path("raw"));
    const auto r = Run(kCli + " decode --raw-dir " + Path("raw").string() + " " + wav);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const auto& entry : std::filesystem::directory_iterator(Path("raw"))) {
      return entry.path().string();
    }
    ADD_FAILURE() << "no raw file recorded";
    return {};
  }

  static QAbstractButton* Button(TmainForm& window, const char* name) {
    auto* button = window.findChild<QAbstractButton*>(QString::fromUtf8(name));
    EXPECT_NE(button, nullptr) << name;
    return button;
  }

  // The next window reads `ini` as its settings file, a portable install in the scratch folder
  // ("bin"); its dialog runs through m_dialogPrompts.
  void UseSettingsFile(const std::string& ini) {
    std::filesystem::create_directories(Path("bin"));
    std::ofstream(Path("bin") / "windlark.ini", std::ios::binary) << ini;
    m_store = SettingsStore(AppPaths(QString::fromStdString(Path("bin").string())));
  }
  std::string SettingsFileText() const {
    std::ifstream in(Path("bin") / "windlark.ini", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  PromptLog m_prompts;
  SourceLog m_source;
  // Changes a test makes to the next window's options.
  std::function<void(TmainForm::Options&)> m_options;
  std::optional<SettingsStore> m_store;
  RecordingPrompts m_dialogPrompts;
  // The window's APRS-IS client; the real one when empty.
  std::function<std::unique_ptr<TAprs>()> m_aprsClient;
  std::vector<std::string> m_deviceList{"Line In", "USB Receiver"};  // the system's inputs now
};

}  // namespace windlark::test
