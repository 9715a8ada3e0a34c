#include <iostream>
#include <string>
#include <vector>

#include "cli/CliOutput.h"
#include "cli/DecodeCommand.h"
#include "cli/ReplayCommand.h"

namespace {

const char* const kUsage =
    "usage: windlark-cli COMMAND [options]\n"
    "\n"
    "Headless RS41 radiosonde decoding.\n"
    "\n"
    "commands:\n"
    "  decode [FILE|-]   decode 48 kHz FM receiver audio into JSON lines\n"
    "  replay FILE       replay a raw file of recorded frames into JSON lines\n"
    "  export FILE ...   replay a raw file and write KML, GPX and CSV exports\n"
    "\n"
    "Run 'windlark-cli COMMAND --help' for a command's options.\n";

}  // namespace

int main(int argc, char** argv) {
  windlark::KeepStandardDescriptorsOpen();
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "-h" || args[0] == "--help") {
    std::cout << kUsage;
    return args.empty() ? 2 : 0;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "decode") return windlark::RunDecode(rest);
  if (args[0] == "replay") return windlark::RunReplay(rest);
  if (args[0] == "export") return windlark::RunExport(rest);
  std::cerr << "windlark-cli: unknown command " << args[0] << " (see --help)\n";
  return 2;
}
