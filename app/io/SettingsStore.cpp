#include "app/io/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSerialPortInfo>
#include <algorithm>
#include <filesystem>
#include <utility>

namespace windlark {

namespace {

std::filesystem::path ToPath(const QString& path) {
  return std::filesystem::path(path.toStdString());
}

}  // namespace

SettingsStore::SettingsStore(AppPaths paths, char decimalSeparator)
    : m_paths(std::move(paths)), m_decimalSeparator(decimalSeparator) {}

std::vector<std::string> SettingsStore::SerialPortNames() {
  std::vector<std::string> names;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    names.push_back(info.systemLocation().toStdString());
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

SettingsEnvironment SettingsStore::Environment(std::vector<std::string> audioDevices) const {
  SettingsEnvironment env;
  env.audioDevices = std::move(audioDevices);
  env.serialPorts = SerialPortNames();
  env.defaultRawDir = m_paths.RawDataDir().toStdString();
  env.defaultMapDir = m_paths.MapsDir().toStdString();
  env.aprsHostOverride = qEnvironmentVariable("WINDLARK_APRS_HOST").trimmed().toStdString();
  return env;
}

LoadedSettings SettingsStore::Load(std::vector<std::string> audioDevices) const {
  IniFile ini(m_decimalSeparator);
  ini.Load(ToPath(FilePath()));
  return LoadSettings(ini, Environment(std::move(audioDevices)));
}

QString SettingsStore::Save(const Settings& settings, const SettingsTexts& texts) const {
  const QString path = FilePath();
  // Start from the file as it is now, so sections written by hand or by others stay.
  IniFile ini(m_decimalSeparator);
  if (ini.Load(ToPath(path)) == IniFile::LoadStatus::Unreadable) {
    return QStringLiteral("Unable to read the settings file %1.\rThe settings were not saved.")
        .arg(QDir::toNativeSeparators(path));
  }
  const std::string refused = SaveSettings(settings, texts, ini);
  if (!refused.empty()) return QString::fromStdString(refused);
  const QString folder = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(folder)) {
    return QStringLiteral("Unable to create the settings folder %1.\rThe settings were not saved.")
        .arg(QDir::toNativeSeparators(folder));
  }
  return QString::fromStdString(ini.Save(ToPath(path)));
}

}  // namespace windlark
