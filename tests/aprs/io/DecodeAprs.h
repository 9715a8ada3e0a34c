#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <optional>
#include <string>

namespace windlark::test {

// What Dire Wolf's decode_aprs reads from one line: an independent decoder's view of it.
struct DecodedAprs {
  double latitude = 0;
  double longitude = 0;
  std::optional<int> speedMph;
  std::optional<int> course;
  std::optional<int> altitudeFt;
  std::string comment;  // the last line of its output
  std::string text;     // all of it
};

inline bool HaveDecodeAprs() {
  return !QStandardPaths::findExecutable(QStringLiteral("decode_aprs")).isEmpty();
}

inline std::optional<DecodedAprs> DecodeAprs(const std::string& line) {
  QProcess process;
  process.start(QStringLiteral("decode_aprs"), {});
  if (!process.waitForStarted(5000)) return std::nullopt;
  process.write(QByteArray::fromStdString(line + "\n"));
  process.closeWriteChannel();
  if (!process.waitForFinished(10000)) return std::nullopt;
  QString out = QString::fromUtf8(process.readAllStandardOutput());
  out.remove(QRegularExpression(QStringLiteral("\x1b\\[[0-9;]*[A-Za-z]")));
  DecodedAprs d;
  d.text = out.toStdString();
  const QRegularExpression position(
      QStringLiteral("^([NS]) (\\d+) ([\\d.]+), ([EW]) (\\d+) ([\\d.]+)(.*)$"),
      QRegularExpression::MultilineOption);
  const auto m = position.match(out);
  if (!m.hasMatch()) return std::nullopt;
  d.latitude = m.captured(2).toDouble() + m.captured(3).toDouble() / 60;
  if (m.captured(1) == QLatin1String("S")) d.latitude = -d.latitude;
  d.longitude = m.captured(5).toDouble() + m.captured(6).toDouble() / 60;
  if (m.captured(4) == QLatin1String("W")) d.longitude = -d.longitude;
  const QString rest = m.captured(7);
  if (auto s = QRegularExpression(QStringLiteral("(\\d+) MPH")).match(rest); s.hasMatch()) {
    d.speedMph = s.captured(1).toInt();
  }
  if (auto c = QRegularExpression(QStringLiteral("course (\\d+)")).match(rest); c.hasMatch()) {
    d.course = c.captured(1).toInt();
  }
  if (auto a = QRegularExpression(QStringLiteral("alt (-?\\d+) ft")).match(rest); a.hasMatch()) {
    d.altitudeFt = a.captured(1).toInt();
  }
  const QStringList lines = out.trimmed().split(QLatin1Char('\n'));
  d.comment = lines.isEmpty() ? std::string() : lines.back().trimmed().toStdString();
  return d;
}

}  // namespace windlark::test
