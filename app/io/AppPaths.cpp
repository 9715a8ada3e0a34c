#include "app/io/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace windlark {

AppPaths::AppPaths(QString exeDir, Location location) : m_exeDir(std::move(exeDir)) {
  if (m_exeDir.isEmpty()) m_exeDir = QCoreApplication::applicationDirPath();
  m_portable = location == Location::BesideExecutable ||
               QFileInfo(m_exeDir + QStringLiteral("/windlark.ini")).isFile();
}

QString AppPaths::XdgDir(const char* variable, const char* fallback) {
  const QString value = qEnvironmentVariable(variable);
  // The XDG rules ignore relative paths.
  if (!value.isEmpty() && QDir::isAbsolutePath(value)) return value;
  return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallback);
}

QString AppPaths::IniFile() const {
  if (m_portable) return m_exeDir + QStringLiteral("/windlark.ini");
  return XdgDir("XDG_CONFIG_HOME", ".config") + QStringLiteral("/windlark/windlark.ini");
}

QString AppPaths::RawDataDir() const {
  if (m_portable) return m_exeDir + QStringLiteral("/RawData");
  return XdgDir("XDG_DATA_HOME", ".local/share") + QStringLiteral("/windlark/RawData");
}

QString AppPaths::MapsDir() const {
  if (m_portable) return m_exeDir + QStringLiteral("/maps");
  return XdgDir("XDG_DATA_HOME", ".local/share") + QStringLiteral("/windlark/maps");
}

QString AppPaths::StateDir() const {
  return XdgDir("XDG_STATE_HOME", ".local/state") + QStringLiteral("/windlark");
}

}  // namespace windlark
