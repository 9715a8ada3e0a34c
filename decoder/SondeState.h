#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "xdata/XdataRecord.h"

namespace windlark {

inline constexpr int kCalibrationSize = 816;
inline constexpr int kFragmentCount = 51;

// What the sonde's time counts in: GPS time (the classic week and time of week, no leap
// seconds) or UTC (the date and time of the current layout's position block).
enum class TimeReference { Gps, Utc };

struct Satellite {
  std::uint8_t prn = 255;
  std::uint8_t strength = 0;
};

// The values of one frame that the telemetry log keeps.
struct FrameRecord {
  std::uint8_t statusValid = 0;
  std::uint8_t gpsTimeValid = 0;
  std::uint8_t positionValid = 0;
  std::uint8_t ptuValid = 0;
  double batteryVoltage = 0;
  double horizontalSpeed = 0;
  double verticalSpeed = 0;
  double windDirection = 0;
  double temperature = 0;
  double humidity = 0;
  double pressure = 0;
  double dewPoint = 0;
  std::uint8_t numSatellites = 0;
  XdataRecord xdata;
};

// The decoder's current values of the sonde being received. Changed only on the thread that
// decodes; the two counters are read and cleared by the radio scanner from its own thread.
struct SondeState {
  // This frame's block checks.
  bool statusValid = false;
  bool gpsTimeValid = false;
  bool positionValid = false;
  bool ptuValid = false;
  // Whether this frame produced a temperature and a pressure (not values kept from before).
  bool temperatureDecoded = false;
  bool pressureDecoded = false;
  std::atomic<std::int32_t> noDataCounter{0};
  std::atomic<std::int32_t> lockCount{0};

  // Identity and status.
  std::string sondeId;
  std::uint16_t frameNumber = 0;
  double batteryVoltage = 0;
  std::uint8_t fragmentIndex = 0;  // this frame's calibration fragment index
  std::int32_t frequencyKHz = 0;
  std::uint16_t firmwareVersion = 0;
  std::string sondeType;
  std::int32_t pressureSource = -1;
  std::int32_t burstKillEnabled = -1;
  std::uint8_t killTimerHours = 99;
  std::uint8_t killTimerMinutes = 0;
  std::uint8_t killTimerSeconds = 0;
  bool countdownActive = false;
  std::uint8_t countdownHours = 0;
  std::uint8_t countdownMinutes = 0;
  std::uint8_t countdownSeconds = 0;
  bool poweroffShown = false;

  // Calibration store.
  std::array<std::uint8_t, kCalibrationSize> calibration{};
  std::array<bool, kFragmentCount> fragmentReceived{};
  bool calibrationComplete = false;
  std::int32_t lastFragment = -1;
  bool temperatureCalReady = false;
  bool humidityCalReady = false;
  bool pressureCalReady = false;

  // Sensor coefficients derived from the calibration image.
  double tempC0 = 0;
  double tempC1 = 0;
  double tempC2 = 0;
  double humTempC0 = 0;
  double humTempC1 = 0;
  double humTempC2 = 0;
  double humidityReference = 0;
  // P(i, j): i = power of the normalised pressure term 0..5, j = power of the sensor temperature.
  std::array<std::array<double, 4>, 6> pressureMatrix{};
  double pressureScale = 0;

  // PTU.
  double temperature = 0;
  double humidityTemperature = 0;
  double pressure = 0;
  double humidity = 0;
  double dewPoint = 0;

  // GPS time. The epoch is a day number counted from 1970-01-01 (1980-01-06 after a reset).
  std::uint16_t gpsWeek = 0;
  std::uint32_t timeOfWeekMs = 0;
  std::uint16_t gpsMillis = 0;
  std::uint8_t gpsDayOfWeek = 0;
  std::uint8_t gpsHour = 0;
  std::uint8_t gpsMinute = 0;
  std::uint8_t gpsSecond = 0;
  std::int32_t gpsEpoch = 3657;
  std::int32_t gpsYear = 0;
  std::int32_t gpsMonth = 0;
  std::int32_t gpsDay = 0;
  std::array<Satellite, 12> satellites{};
  TimeReference timeReference = TimeReference::Gps;

  // GPS position.
  std::int32_t ecefXcm = 0;
  std::int32_t ecefYcm = 0;
  std::int32_t ecefZcm = 0;
  std::int16_t velXcm = 0;
  std::int16_t velYcm = 0;
  std::int16_t velZcm = 0;
  std::uint8_t numSatellites = 0;
  double speedAccuracy = 0;
  double pdop = 0;
  // The current layout sends neither speed accuracy nor pDOP; both then mean nothing.
  bool speedAccuracySent = true;
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;
  double mapX = 0;
  double mapY = 0;
  double horizontalSpeed = 0;
  double heading = 0;  // direction of travel, degrees
  double verticalSpeed = 0;
  double windDirection = 0;
  double lastAltitude = -1000;
  double previousAltitude = -1000;
  std::string timestamp;

  // Flight extremes.
  double maxAltitude = -1000;
  double maxWindSpeed = 0;
  double maxWindAltitude = 0;
  double maxWindDirection = 0;
  double bestIsoTemperature = 1000;
  double bestIsoAltitude = 0;

  // Raw capture.
  bool saveRaw = false;
  bool rawFileNamed = false;
  std::string rawFileName;
  std::string launchTimeText;
};

// Day number (days since 1970-01-01) of a calendar date, and back.
std::int32_t DaysFromCivil(std::int32_t year, std::int32_t month, std::int32_t day);
void CivilFromDays(std::int32_t days, std::int32_t& year, std::int32_t& month, std::int32_t& day);

}  // namespace windlark
