// The raw-file line reader and the replay of raw files and other decoders' hex frame logs,
// through the frame decoder.
#include "FuzzSupport.h"
#include "records/RawReplay.h"

using namespace windlark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::MemoryFile file(data, size);
  fuzz::Decoder decoder;
  RawReplay replay(file.Path());
  replay.SetUnpaced();
  replay.Run(
      [&](const RawFrame& frame) {
        DecodeFrame(frame, decoder.state, decoder.log, decoder.ctx);
        ShowReplayLaunchTime(decoder.state, decoder.view);
      },
      [](const std::string&) {});
  return 0;
}
