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

Frame content (defaults in brackets):
  --frames N           number of frames, one per second [10]
  --start-frame N      frame number of the first frame [1000]
  --id SERIAL          8-character sonde serial [T1234567]
  --battery V          battery voltage [2.9]
  --start-fragment K   calibration fragment of the first frame, 0..50 [start frame mod 51]
  --gps-week N         GPS week [2300]
  --gps-tow-ms N       GPS time of week of the first frame, ms; +1000 per frame [43200000]
  --lat DEG --lon DEG --alt M   start position, WGS84 [47.5 8.5 500]
  --vel-east/--vel-north/--vel-up M_S   constant velocity; one second per frame [3 1 5]
  --sats N             numSV in the position block [8]
  --sacc M_S           speed accuracy [0.3]
  --pdop X             position DOP [1.5]
  --svs P:S,...        up to 12 PRN:strength pairs for block 0x7C; unused slots get PRN 255
                       [12 built-in satellites]
  --ptu-raw V1,...,V12 the twelve uint24 measurement values of block 0x7A [all 0]
  --xdata TEXT         add a 0x7E block carrying TEXT (repeatable); makes 518-byte frames
  --corrupt-crc B:K    in frame index K (0-based) flip the last data byte of block B after its
                       CRC is set but before RS parity, so only the CRC fails. B: status, meas,
                       gpsinfo, gpsraw, gpspos, xdata, pad, or a block id like 0x7A (repeatable)
  --corrupt-byte K:OFF in frame index K flip frame byte OFF after RS parity, like a channel
                       error that RS can repair (repeatable)

Calibration image (carried in 51 16-byte fragments):
  --calibration FILE   use this 816-byte image verbatim instead of building one
  --freq-khz F         frequency [403000]
  --firmware N         firmware version [20506]
  --type TEXT          sonde type, up to 8 characters [RS41-SG]
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

Audio is 48 000 Hz mono, 10 samples per bit, one 48 000-sample slot per frame: preamble,
whitened frame (LSB first), then idle level. Bit 1 is above mid level unless --invert.
Exit status: 0 success, 1 runtime or check failure, 2 bad options.
)";
}

}  // namespace rs41sim
