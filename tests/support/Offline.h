#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace windlark::test {

// No test reaches a public server: the tile hosts and the update check point at a closed port
// on loopback unless the caller chose otherwise. A test that needs a server starts its own and
// points these at it.
inline void KeepTestsOffline() {
  for (const char* name : {"WINDLARK_OSM_URL", "WINDLARK_OPENTOPOMAP_URL"}) {
    if (qEnvironmentVariableIsEmpty(name)) qputenv(name, QByteArray("http://127.0.0.1:9"));
  }
  if (qEnvironmentVariableIsEmpty("WINDLARK_VERSION_URL")) {
    qputenv("WINDLARK_VERSION_URL", QByteArray("http://127.0.0.1:9/version.txt"));
  }
}

}  // namespace windlark::test
