// The upload against a local HTTPS server that plays the SondeHub API: the command line's
// uploads compared with its own JSON, and the desktop's worker through outages.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcessEnvironment>
#include <QSet>
#include <QStringList>
#include <QTest>
#include <QTimeZone>
#include <cstdlib>
#include <map>

#include "cli/CliRunner.h"
#include "sondehub/io/SondeHub.h"
#include "support/SondeHubServer.h"
#include "support/TileServer.h"

namespace windlark {
namespace {

const std::string kCli = WINDLARK_CLI;
const std::string kSim = RS41SIM;

QJsonObject ParseObject(const std::string& line) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
}

// Every telemetry object the server took, in arrival order.
QList<QJsonObject> Uploaded(const SondeHubServer& server) {
  QList<QJsonObject> out;
  for (const auto& request : server.RequestsTo("/sondes/telemetry")) {
    for (const QJsonValue& v : QJsonDocument::fromJson(request.json).array()) out << v.toObject();
  }
  return out;
}

// The field list of a telemetry object: each key's JSON type, and the ones always present.
void ExpectValidTelemetry(const QJsonObject& o) {
  static const std::map<QString, QJsonValue::Type> kTypes = {
      {"software_name", QJsonValue::String},
      {"software_version", QJsonValue::String},
      {"uploader_callsign", QJsonValue::String},
      {"time_received", QJsonValue::String},
      {"manufacturer", QJsonValue::String},
      {"type", QJsonValue::String},
      {"subtype", QJsonValue::String},
      {"serial", QJsonValue::String},
      {"frame", QJsonValue::Double},
      {"datetime", QJsonValue::String},
      {"lat", QJsonValue::Double},
      {"lon", QJsonValue::Double},
      {"alt", QJsonValue::Double},
      {"temp", QJsonValue::Double},
      {"humidity", QJsonValue::Double},
      {"pressure", QJsonValue::Double},
      {"vel_v", QJsonValue::Double},
      {"vel_h", QJsonValue::Double},
      {"heading", QJsonValue::Double},
      {"sats", QJsonValue::Double},
      {"batt", QJsonValue::Double},
      {"burst_timer", QJsonValue::Double},
      {"frequency", QJsonValue::Double},
      {"xdata", QJsonValue::String},
      {"rs41_mainboard", QJsonValue::String},
      {"rs41_mainboard_fw", QJsonValue::String},
      {"uploader_position", QJsonValue::Array},
      {"uploader_antenna", QJsonValue::String},
      {"dev", QJsonValue::Bool}};
  for (auto it = o.begin(); it != o.end(); ++it) {
    const auto known = kTypes.find(it.key());
    ASSERT_NE(known, kTypes.end()) << "unknown field " << it.key().toStdString();
    EXPECT_EQ(it.value().type(), known->second) << it.key().toStdString();
  }
  for (const char* key :
       {"software_name", "software_version", "uploader_callsign", "time_received", "manufacturer",
        "type", "serial", "frame", "datetime", "lat", "lon", "alt"}) {
    EXPECT_TRUE(o.contains(key)) << key;
  }
  EXPECT_EQ(o["software_name"].toString(), "Windlark");
  EXPECT_EQ(o["manufacturer"].toString(), "Vaisala");
  EXPECT_EQ(o["type"].toString(), "RS41");
  for (const char* key : {"time_received", "datetime"}) {
    EXPECT_TRUE(QDateTime::fromString(o[key].toString(), Qt::ISODateWithMs).isValid()) << key;
    EXPECT_TRUE(o[key].toString().endsWith('Z')) << key;
  }
  const double lat = o["lat"].toDouble();
  const double lon = o["lon"].toDouble();
  EXPECT_TRUE(lat >= -90 && lat <= 90 && lon >= -180 && lon <= 180);
  if (o.contains("frequency")) {
    EXPECT_GT(o["frequency"].toDouble(), 400.0);  // MHz
    EXPECT_LT(o["frequency"].toDouble(), 410.0);
  }
  if (o.contains("uploader_position")) {
    EXPECT_EQ(o["uploader_position"].toArray().size(), 3);
  }
}

class SondeHubIo : public test::ScratchDirTest {
 protected:
  void SetUp() override {
    test::ScratchDirTest::SetUp();
    ASSERT_TRUE(m_ca.Ok()) << "openssl could not make the test CA";
    const QSslConfiguration tls = m_ca.ServerConfiguration();
    m_server = std::make_unique<SondeHubServer>(&tls);
  }

  std::string Environment() const {
    return "WINDLARK_SONDEHUB_URL=" + m_server->BaseUrl().toStdString() +
           " WINDLARK_SONDEHUB_CA_FILE=" + m_ca.CaFile().toStdString() + " ";
  }
  std::string Sim(const std::string& name, const std::string& options) {
    const std::string path = Path(name).string();
    const auto r = Run(kSim + " " + options + " -o " + path);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return path;
  }
  static std::vector<QJsonObject> PrintedFrames(const std::string& out) {
    std::vector<QJsonObject> frames;
    for (const auto& line : test::Lines(out)) {
      if (line.rfind("{\"type\":\"RS41\"", 0) == 0) frames.push_back(ParseObject(line));
    }
    return frames;
  }

  TestCa m_ca;
  std::unique_ptr<SondeHubServer> m_server;
};

// Each frame with a position arrives once, with exactly the values the command line printed
// for it; the frame's own time is UTC (GPS time less 18 s in the classic layout).
TEST_F(SondeHubIo, CommandLineUploadsEachFrameAsItPrintsIt) {
  for (const std::string layout : {"classic", "current"}) {
    m_server = nullptr;
    const QSslConfiguration tls = m_ca.ServerConfiguration();
    m_server = std::make_unique<SondeHubServer>(&tls);
    const std::string wav = Sim("flight-" + layout + ".wav",
                                "--frames 12 --start-frame 4200 --start-fragment 48 --id V4150123 "
                                "--layout " +
                                    layout +
                                    " --freq-khz 404500 --countdown 21600 --lat 52.21 "
                                    "--lon 14.12 --alt 5800 --flight ascent --vel-up 5.2 "
                                    "--vel-east 11.2 --pressure-sensor --temp 14 "
                                    "--xdata 05038001186A01D06432");
    const auto r = Run(Environment() + kCli +
                       " decode --sondehub DL1ABC-9 --sondehub-position 52.1,14.2,85 "
                       "--sondehub-antenna 'Yagi \"5 el\" \\ 2m' " +
                       wav);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<QJsonObject> printed = PrintedFrames(r.out);
    ASSERT_EQ(printed.size(), 12U) << r.out;

    for (const auto& request : m_server->RequestsTo("/sondes/telemetry")) {
      EXPECT_EQ(request.method, "PUT");
      EXPECT_EQ(request.headers.value("content-encoding"), "gzip");
      EXPECT_TRUE(request.gzipOk);
      EXPECT_TRUE(request.headers.value("user-agent").startsWith("Windlark/1.15"));
      // An HTTP date of now: "Thu, 10 Dec 2026 14:30:00 GMT".
      QDateTime date = QLocale::c().toDateTime(QString::fromLatin1(request.headers.value("date")),
                                               "ddd, dd MMM yyyy HH:mm:ss 'GMT'");
      date.setTimeZone(QTimeZone::utc());
      EXPECT_LT(std::abs(date.secsTo(QDateTime::currentDateTimeUtc())), 120)
          << request.headers.value("date").toStdString();
      EXPECT_TRUE(QJsonDocument::fromJson(request.json).isArray());
    }
    const QList<QJsonObject> uploaded = Uploaded(*m_server);
    std::map<int, QJsonObject> byFrame;
    for (const QJsonObject& o : uploaded) {
      ExpectValidTelemetry(o);
      EXPECT_TRUE(byFrame.emplace(o["frame"].toInt(), o).second) << "frame sent twice";
    }
    int withPosition = 0;
    for (const QJsonObject& p : printed) {
      if (!p.contains("lat")) continue;
      ++withPosition;
      const auto found = byFrame.find(p["frame"].toInt());
      ASSERT_NE(found, byFrame.end()) << "frame " << p["frame"].toInt() << " not uploaded";
      const QJsonObject& o = found->second;
      EXPECT_EQ(o["serial"], p["id"]);
      EXPECT_EQ(o["subtype"], p["subtype"]);
      for (const char* key : {"lat", "lon", "alt", "vel_h", "vel_v", "heading", "sats", "temp",
                              "humidity", "pressure", "batt"}) {
        EXPECT_EQ(o[key], p[key]) << key;
      }
      EXPECT_EQ(o["frequency"], p["freq"]);
      EXPECT_EQ(o["xdata"], p["aux"]);
      if (p.contains("bt") && p["bt"].toInt() != 65535) {
        EXPECT_EQ(o["burst_timer"], p["bt"]);
      } else {
        EXPECT_FALSE(o.contains("burst_timer"));
      }
      QDateTime frameTime = QDateTime::fromString(p["datetime"].toString(), Qt::ISODateWithMs);
      if (p["ref_datetime"].toString() == "GPS") frameTime = frameTime.addSecs(-18);
      EXPECT_EQ(o["datetime"].toString(), frameTime.toString("yyyy-MM-ddTHH:mm:ss.zzzZ"));
      EXPECT_EQ(o["uploader_callsign"].toString(), "DL1ABC-9");
      EXPECT_EQ(o["uploader_antenna"].toString(), "Yagi \"5 el\" \\ 2m");
      EXPECT_EQ(o["uploader_position"].toArray(), (QJsonArray{52.1, 14.2, 85}));
      EXPECT_FALSE(o.contains("dev"));
    }
    EXPECT_GE(withPosition, 10) << layout;
    EXPECT_EQ(static_cast<int>(uploaded.size()), withPosition) << layout;
    // The first sent frame carries the time of the layout's first frame in UTC.
    ASSERT_FALSE(uploaded.isEmpty());

    const auto listeners = m_server->RequestsTo("/listeners");
    ASSERT_EQ(listeners.size(), 1);
    const QJsonObject listener = QJsonDocument::fromJson(listeners[0].json).object();
    EXPECT_EQ(listener["uploader_callsign"].toString(), "DL1ABC-9");
    EXPECT_EQ(listener["software_name"].toString(), "Windlark");
    EXPECT_EQ(listener["mobile"], QJsonValue(false));
    EXPECT_EQ(listener["uploader_position"].toArray(), (QJsonArray{52.1, 14.2, 85}));
    EXPECT_EQ(listener["uploader_antenna"].toString(), "Yagi \"5 el\" \\ 2m");
  }
}

TEST_F(SondeHubIo, EncryptedSgmFramesAreNeverSent) {
  const std::string wav = Sim("sgm.wav", "--frames 6 --start-fragment 33 --type RS41-SGM");
  const auto r = Run(Environment() + kCli + " decode --sondehub DL1ABC " + wav);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(PrintedFrames(r.out).size(), 6U);
  EXPECT_TRUE(Uploaded(*m_server).isEmpty());
  EXPECT_NE(r.err.find("encrypted RS41-SGM frames are not uploaded"), std::string::npos) << r.err;
}

// A replayed flight is not live: without test mode the command refuses to upload it.
TEST_F(SondeHubIo, ReplayUploadsOnlyInTestMode) {
  const std::string wav = Sim("flight.wav", "--frames 5 --id V4150124");
  std::filesystem::create_directories(Path("raw"));
  ASSERT_EQ(Run(kCli + " decode --raw-dir " + Path("raw").string() + " " + wav).exitCode, 0);
  std::string raw;
  for (const auto& entry : std::filesystem::directory_iterator(Path("raw"))) {
    raw = entry.path().string();
  }
  ASSERT_FALSE(raw.empty());

  const auto refused = Run(Environment() + kCli + " replay --sondehub DL1ABC " + raw);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.err.find("only in test mode"), std::string::npos) << refused.err;
  EXPECT_TRUE(m_server->Requests().isEmpty());

  const auto test = Run(Environment() + kCli + " replay --sondehub DL1ABC --sondehub-test " + raw);
  ASSERT_EQ(test.exitCode, 0) << test.err;
  const QList<QJsonObject> uploaded = Uploaded(*m_server);
  EXPECT_EQ(uploaded.size(), 5);
  for (const QJsonObject& o : uploaded) {
    ExpectValidTelemetry(o);
    EXPECT_EQ(o["dev"], QJsonValue(true));
  }
}

// The desktop's worker: synthetic telemetry objects through the real client and server, with
// short intervals.
class SondeHubWorker : public SondeHubIo {
 protected:
  void Start(SondeHubStation station, std::size_t maxFrames = kMaxQueuedFrames) {
    SondeHubTiming timing;
    timing.batchMs = 100;
    timing.retryMaxMs = 200;
    timing.requestTimeoutMs = 5000;
    station.callsign = "DL1ABC";
    station.softwareVersion = "1.15";
    m_worker = std::make_unique<TSondeHub>(m_server->BaseUrl().toStdString(), station,
                                           m_ca.CaFile().toStdString(), timing, maxFrames);
    m_worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::started, m_worker.get(), &TSondeHub::Execute);
    QObject::connect(m_worker.get(), &TSondeHub::EventText, &m_receiver,
                     [this](const QString& line) { m_events << line; });
    m_thread.start();
  }
  void TearDown() override {
    if (m_worker) m_worker->Terminate();
    m_thread.quit();
    m_thread.wait();
    m_worker.reset();
    SondeHubIo::TearDown();
  }
  void Add(int frame) { m_worker->Add("{\"frame\":" + std::to_string(frame) + "}"); }
  bool WaitSent(std::uint64_t count) {
    return QTest::qWaitFor([&] { return m_worker->Stats().sent >= count; }, 20000);
  }
  // The frames of the requests from the `first`-th on.
  QList<int> FramesFrom(qsizetype first) const {
    QList<int> frames;
    const auto requests = m_server->RequestsTo("/sondes/telemetry");
    for (qsizetype i = first; i < requests.size(); ++i) {
      for (const QJsonValue& v : QJsonDocument::fromJson(requests[i].json).array()) {
        frames << v.toObject()["frame"].toInt();
      }
    }
    return frames;
  }
  int EventsWith(const QString& text) const {
    return static_cast<int>(m_events.filter(text).size());
  }

  QThread m_thread;
  std::unique_ptr<TSondeHub> m_worker;
  QObject m_receiver;
  QStringList m_events;
};

TEST_F(SondeHubWorker, WarningsReachTheEventsLogOncePerText) {
  m_server->SetDefault(
      {201,
       R"({"message":"some payloads had warnings","errors":[],"warnings":[{"warning_message":"Frame time far from time received","payload":{"serial":"V4150123"}}]})",
       false});
  Start({});
  for (int f = 1; f <= 3; ++f) Add(f);
  ASSERT_TRUE(WaitSent(3));
  for (int f = 4; f <= 6; ++f) Add(f);
  ASSERT_TRUE(WaitSent(6));
  QTest::qWait(50);
  EXPECT_GE(m_server->RequestsTo("/sondes/telemetry").size(), 2);
  EXPECT_EQ(EventsWith("SondeHub warning: Frame time far from time received"), 1)
      << m_events.join('\n').toStdString();
}

TEST_F(SondeHubWorker, ServerErrorsAndADroppedConnectionLoseNoFrame) {
  m_server->Script({{500, "{}", false}, {0, {}, true}, {503, {}, false}});
  Start({});
  for (int f = 1; f <= 4; ++f) Add(f);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->RequestsTo("/sondes/telemetry").size() >= 2; },
                              20000));
  for (int f = 5; f <= 10; ++f) Add(f);
  ASSERT_TRUE(WaitSent(10)) << m_events.join('\n').toStdString();
  // Everything after the three failures was taken: every frame, in order, none lost.
  QList<int> taken = FramesFrom(3);
  EXPECT_EQ(taken, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(m_worker->Stats().dropped, 0U);
  QTest::qWait(50);
  EXPECT_GE(EventsWith("SondeHub upload failed"), 1);
  EXPECT_LE(EventsWith("SondeHub upload failed"), 3);
  EXPECT_EQ(EventsWith("SondeHub upload resumed"), 1);
}

TEST_F(SondeHubWorker, AnOutageBeyondTheBoundDropsOnlyTheOldest) {
  m_server->SetDefault({500, {}, false});
  Start({}, 5);
  for (int f = 1; f <= 12; ++f) Add(f);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->RequestsTo("/sondes/telemetry").size() >= 2; },
                              20000));
  const qsizetype failed = m_server->RequestsTo("/sondes/telemetry").size();
  m_server->SetDefault({200, {}, false});
  ASSERT_TRUE(WaitSent(5));
  // Requests answered while the default changed may have failed too; the taken ones are last.
  const QList<int> all = FramesFrom(failed - 1);
  ASSERT_GE(all.size(), 5);
  EXPECT_EQ(all.mid(all.size() - 5), (QList<int>{8, 9, 10, 11, 12}));
  EXPECT_EQ(m_worker->Stats().dropped, 7U);
  QTest::qWait(50);
  EXPECT_EQ(EventsWith("the oldest 7 frames were dropped"), 1) << m_events.join('\n').toStdString();
}

TEST_F(SondeHubWorker, ListenerRecordArrivesFirst) {
  SondeHubStation station;
  station.position = std::array<double, 3>{44.5386, 7.6125, 310};
  station.antenna = "Vertical";
  station.mobile = true;
  station.testMode = true;
  Start(station);
  Add(1);
  ASSERT_TRUE(WaitSent(1));
  const auto requests = m_server->Requests();
  ASSERT_GE(requests.size(), 2);
  EXPECT_EQ(requests[0].path, "/listeners");
  const QJsonObject listener = QJsonDocument::fromJson(requests[0].json).object();
  EXPECT_EQ(listener["uploader_callsign"].toString(), "DL1ABC");
  EXPECT_EQ(listener["uploader_antenna"].toString(), "Vertical");
  EXPECT_EQ(listener["mobile"], QJsonValue(true));
  EXPECT_EQ(listener["dev"], QJsonValue(true));
  EXPECT_EQ(listener["uploader_position"].toArray(), (QJsonArray{44.5386, 7.6125, 310}));
  EXPECT_EQ(requests[0].headers.value("content-encoding"), "gzip");
  EXPECT_EQ(requests[0].headers.value("user-agent"), "Windlark/1.15");
}

}  // namespace
}  // namespace windlark
