#include "decoder/TelemetryLog.h"
