#include "Options.h"

namespace rs41sim {

const char* HelpText() {
  return R"(rs41sim - synthesize Vaisala RS41 frames as FM-discriminator audio (4800 bit/s GFSK)

Usage:
  rs41sim [content options] [signal options] -o FILE [--format u8|wav|wav16] [--hex-out FILE]
  rs41sim --hex-in FILE [signal options] -o FILE [--hex-out FILE]
  rs41sim --check-rs FILE
  rs41sim --help

Modes:
  (default)            build --frames frames from the content options below
  --hex-in FILE        modulate de-whitened frames read as hex, one per line, exactly as given
                       (tails like " [OK]" ignored; blank, '#' and '{' lines skipped)
  --check-rs FILE      recompute RS parity and block CRCs of each hex frame line and report;
                       exit 0 only if every [OK]-tagged or untagged frame matches

Output:
  -o, --output FILE    audio output, "-" for stdout
  --format F           u8 (headerless 8-bit unsigned), wav (8-bit PCM WAV) or wav16 (16-bit
                       PCM WAV, (u8-128)*256); default wav for *.wav names, else u8
  --hex-out FILE       every sent frame, de-whitened, lowercase hex, one line per frame
  --truth-out FILE     what each built frame carries, one JSON object per line ("-": stdout):
                       frame, index, phase (ascent|descent|landed), lat, lon, alt (WGS84, of
                       the position as sent), vel_east, vel_north, vel_up, vel_h (m/s),
                       heading (direction of travel, deg from north; 0 when not moving),
                       wind_from (heading + 180, mod 360), temp, humidity, pressure, dewpoint,
                       humidity_temp, psensor_temp; null where not modelled (see below)

Frame content (defaults in brackets):
  --layout L           classic: blocks 0x79 0x7A 0x7C 0x7D 0x7B (GPS week and time of week);
                       current: 0x96 0x79 0x7A 0x82 0x83, as sent to ground systems of late
                       2024 on: 0x82 carries the position and the UTC date and time (GPS time
                       less 18 leap seconds), 0x83 a satellite map; no speed accuracy, no
                       pDOP [classic]
  --frames N           number of frames, one per second [10]
  --start-frame N      frame number of the first frame [1000]
  --id SERIAL          8-character sonde serial [T1234567]
  --battery V          battery voltage [2.9]
  --start-fragment K   calibration fragment of the first frame, 0..50 [start frame mod 51]
  --gps-week N         GPS week [2300]
  --gps-tow-ms N       GPS time of week of the first frame, ms; +1000 per frame [43200000]
  --lat DEG --lon DEG --alt M   start position, WGS84 [47.5 8.5 500]
  --vel-east/--vel-north/--vel-up M_S   constant velocity; one second per frame [3 1 5]
  --sats N             numSV in the position block; current layout: the satellites of the
                       0x83 map (the --svs PRNs first, then further GPS and Galileo slots),
                       at most 32 [8]
  --sacc M_S           speed accuracy [0.3]
  --pdop X             position DOP [1.5]
  --svs P:S,...        up to 12 PRN:strength pairs for block 0x7C; unused slots get PRN 255
                       [12 built-in satellites]
  --ptu-raw V1,...,V12 the twelve uint24 measurement values of block 0x7A [all 0]
  --xdata TEXT         add a 0x7E block carrying one lead byte and the instrument text TEXT
                       (repeatable); makes 518-byte frames
  --corrupt-crc B:K    in frame index K (0-based) flip the last data byte of block B after its
                       CRC is set but before RS parity, so only the CRC fails. B: status, meas,
                       gpsinfo, gpsraw, gpspos, xdata, pad, tag, gnsspos, gnsssats, or a block
                       id like 0x7A (repeatable)
  --corrupt-byte K:OFF in frame index K flip frame byte OFF after RS parity, like a channel
                       error that RS can repair (repeatable)

Flight (without --flight the sonde keeps the constant velocity above):
  --flight P           ascent: climb at --vel-up, drifting with --vel-east/--vel-north;
                       descent: sink from --alt to --land-alt, drifting likewise;
                       burst: ascent to --burst-alt, then descent to --land-alt.
                       The last step of a climb or fall ends exactly at the target altitude;
                       a landed sonde stands still (all velocities 0)
  --burst-alt M        burst altitude [30000]
  --descent-rate M_S   sinking speed at sea level [5]
  --descent-law L      parachute: the speed grows with 1/sqrt(air density) of the standard
                       atmosphere (about x3.7 at 20 km, x8 at 30 km; density held above
                       47 km); constant: --descent-rate throughout [parachute]. Either way the
                       total speed stays below 326 m/s
  --land-alt M         landing altitude [--alt for burst, 0 for descent]

PTU values (any of these options switches them on; the calibration image then carries
typical RS41 sensor constants, or those of --calibration FILE, and each frame's measurement
block carries the readings that convert back to these values):
  --temp C             air temperature at altitude 0 [15]
  --lapse K_PER_KM     temperature fall per km of altitude, down to -56.5 C (or --temp if
                       colder), where it stays [6.5]
  --humidity RH        relative humidity, percent, -20..120 [50]; at or below 0 a receiver
                       shows 0 % and no dew point (use a negative value to test that)
  --humidity-temp-offset K   humidity-sensor temperature minus air temperature [5]
  --pressure-sensor    write the pressure-sensor readings: the standard-atmosphere pressure at
                       the current altitude (0 from 47 km up), with the sensor's temperature
                       (air + 20 C) at measurement offset 0x26; the type becomes RS41-SGP
                       unless --type is given
  A receiver weights humidity with the sonde's pressure: for RS41-SG the standard atmosphere
  at the GPS altitude, for RS41-SGP the sensor's (0 hPa when PTU values are on without
  --pressure-sensor, as the sensor readings are then all 0). The truth file's pressure is
  that value; null for other types and for RS41-SGP without PTU options. dewpoint is null
  where humidity <= 0; temp, humidity, dewpoint, humidity_temp and psensor_temp are null
  without PTU options. Cannot be combined with --ptu-raw.

Calibration image (carried in 51 16-byte fragments):
  --calibration FILE   use this 816-byte image verbatim instead of building one
  --freq-khz F         frequency [403000]
  --firmware N         firmware version [20506]
  --type TEXT          sonde type, up to 10 characters [RS41-SG; RS41-SGP with --pressure-sensor]
  --burst-kill 0|1     burst-kill enable [0]
  --kill-timer S       burst-kill timer, seconds [30600]
  --countdown S|none   countdown, seconds [none]

Signal:
  --preamble-bits N    alternating bits before each frame [320]
  --bt X               Gaussian filter bandwidth-time product [0.5]
  --amplitude A        deviation in sample units [60]
  --dc-offset N        offset added to the mid level 128 [0]
  --noise SIGMA        Gaussian noise standard deviation in sample units [0]
  --seed N             noise generator seed [41]
  --invert             invert the audio polarity
  --lead-in-ms N       idle audio before the first frame [100]
  --clock-ppm PPM      the sonde's bit clock is fast by PPM (bits last 10 / (1 + PPM/1e6)
                       samples; each frame slot still starts on a whole second) [0]

Radio channel (any of these turns it on):
  --ebn0 DB            add complex Gaussian noise at this Eb/N0 to the complex baseband FM
                       signal (unit power, deviation +-2400 Hz at 48 000 Hz): Eb = 10 samples
                       of unit power, N0 = the complex noise variance per sample
  --carrier-offset HZ  the receiver is tuned HZ below the carrier (the audio's DC moves up
                       by HZ / 2400 * amplitude) [0]
  --audio-lowpass HZ   single-pole low-pass (de-emphasis) on the discriminator output [none]
  The channel: frequency -> complex baseband with the offset -> + noise -> 12 kHz IF filter
  (63-tap Hamming windowed sinc, +-6 kHz) -> FM discriminator (phase step between samples)
  -> low-pass -> the audio path above (amplitude, DC offset, --noise, 8-bit clipping).

Audio is 48 000 Hz mono, 10 samples per bit, one 48 000-sample slot per frame: preamble,
whitened frame (LSB first), then idle level. Bit 1 is above mid level unless --invert.
Exit status: 0 success, 1 runtime or check failure, 2 bad options.
)";
}

}  // namespace rs41sim
