#pragma once

#include <QString>

namespace windlark {

// Where the program keeps its files: beside the executable when that folder is writable (a
// portable install), else in the user's XDG folders.
class AppPaths {
 public:
  // `exeDir` is the executable's folder; empty means the running application's.
  explicit AppPaths(QString exeDir = {});

  QString IniFile() const;
  QString RawDataDir() const;
  QString MapsDir() const;
  // Small state files other programs read (sonde position, rotor angles).
  QString StateDir() const;
  bool Portable() const { return m_portable; }

 private:
  static QString XdgDir(const char* variable, const char* fallback);

  QString m_exeDir;
  bool m_portable = false;
};

}  // namespace windlark
