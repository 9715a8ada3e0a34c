#pragma once

#include <QString>

namespace windlark {

// Where the program keeps its files: in the user's XDG folders, or beside the executable when a
// windlark.ini is already there (a portable install on a USB stick or in a copied folder). A
// program run from its build folder so leaves no settings or recordings in the build tree.
class AppPaths {
 public:
  enum class Location { Detect, BesideExecutable };

  // `exeDir` is the executable's folder; empty means the running application's.
  explicit AppPaths(QString exeDir = {}, Location location = Location::Detect);

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
