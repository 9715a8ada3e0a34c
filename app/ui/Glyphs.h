#pragma once

#include <QIcon>

namespace windlark {

// The pictures on the tool-bar buttons, drawn rather than shipped as image files.
enum class Glyph {
  Play,
  Stop,
  RadioOn,
  RadioOff,
  SaveTrack,
  AutoCenter,
  Globe,
  Disk,
  Plus,
  Minus,
  Aprs,
  Monitoring,
  Tracking,
  Settings,
  OpenRaw,
  GhostTrack,
  WebMap,
  Rotor,
  SaveTable,
  About,
  Auxiliary,
  Scope,
  Satellite,
  Chart,
  Download,
  Layers,
  AprsGood,  // "Enable/Disable APRS" while connected
  AprsFail,  // and after a failure
  Pause,     // "Start SDR# remote control" while the scan waits to rescan
};

QIcon GlyphIcon(Glyph glyph);

}  // namespace windlark
