// orvexctl: the engine from the command line, for scripts and checks without a display.
#include <clocale>
#include <iostream>
#include <string>

#include "tools/orvexctl/AdaptersCommand.h"
#include "tools/orvexctl/CommandLine.h"
#include "tools/orvexctl/ScanCommand.h"

namespace {

constexpr const char* kUsage =
    "usage: orvexctl COMMAND [OPTIONS]\n"
    "  adapters                                   list the network adapters\n"
    "  scan --bind ADDR [--seconds N] [--events]  find cameras from the local address ADDR\n";

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    if (argc < 2) {
        std::cerr << kUsage;
        return orvexctl::kExitBadArguments;
    }
    const std::string command = argv[1];
    const orvexctl::Arguments args(argv + 2, argv + argc);
    if (command == "adapters") return orvexctl::RunAdapters(args);
    if (command == "scan") return orvexctl::RunScan(args);
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    return orvexctl::BadArguments("unknown command '" + command + "'\n" + kUsage);
}
