// orvexctl: the engine from the command line, for scripts and checks without a display.
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <iostream>
#include <string>

#include "platform/Clock.h"
#include "resources/Version.h"
#include "tools/orvexctl/AdaptersCommand.h"
#include "cgi/TraceMsg.h"
#include "tools/orvexctl/CgiCommand.h"
#include "tools/orvexctl/CommandHelp.h"
#include "tools/orvexctl/CommandTable.h"
#include "tools/orvexctl/CommandLine.h"
#include "tools/orvexctl/JournalCommand.h"
#include "tools/orvexctl/OnvifCommand.h"
#include "tools/orvexctl/ReportOutput.h"
#include "tools/orvexctl/ScanCommand.h"
#include "tools/orvexctl/SetCommand.h"
#include "tools/orvexctl/SetUidCommand.h"
#include "tools/orvexctl/StopSignals.h"
#include "tools/orvexctl/UpgradeCommand.h"

namespace {

int Dispatch(const std::string& command, const orvexctl::Arguments& args) {
    // COMMAND --help (anywhere among its arguments) is that command's help.
    if (orvexctl::CommandTable::Find(command) &&
        std::find_if(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; }) != args.end()) {
        std::cout << orvexctl::CommandHelp::Of(command);
        return 0;
    }
    if (command == "adapters") return orvexctl::RunAdapters(args);
    if (command == "scan") return orvexctl::RunScan(args);
    if (command == "cgi") return orvexctl::RunCgi(args);
    if (command == "firmware-doc") return orvexctl::RunFirmwareDoc(args);
    if (command == "upgrade") return orvexctl::RunUpgrade(args);
    if (command == "set-uid") return orvexctl::RunSetUid(args);
    if (command == "set") return orvexctl::RunSet(args);
    if (command == "journal") return orvexctl::RunJournal(args);
    if (command == "onvif") return orvexctl::RunOnvif(args);
    if (command == "--version") {
        std::cout << "orvexctl " << orvex::kOrvexVersion << "\n";
        return 0;
    }
    if (command == "--help" || command == "-h" || (command == "help" && args.empty())) {
        std::cout << orvexctl::CommandHelp::List();
        return 0;
    }
    if (command == "help") {
        const std::string text = orvexctl::CommandHelp::Of(args[0]);
        if (text.empty() || args.size() > 1)
            return orvexctl::BadArguments("help takes one command: " + args[0] + " is none (orvexctl --help lists them)");
        std::cout << text;
        return 0;
    }
    if (command == "completion") {
        const std::string script = args.size() == 1 ? orvexctl::CommandHelp::Completion(args[0]) : "";
        if (script.empty()) return orvexctl::BadArguments("completion takes bash or zsh");
        std::cout << script;
        return 0;
    }
    return orvexctl::BadArguments("unknown command '" + command + "' (orvexctl --help lists the commands)");
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    orvexctl::StopSignals::Install();
    platform::Clock::SetTimeScale(platform::TimeScaleFromEnvironment());
    if (argc < 2) {
        std::cerr << orvexctl::CommandHelp::List();
        return orvexctl::kExitBadArguments;
    }
    // --quiet and --verbose go with every command, wherever they stand.
    orvexctl::Arguments args;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quiet") {
            orvexctl::SetQuiet(true);
        } else if (arg == "--verbose") {
            orvex::SetTraceEcho(true);
        } else {
            args.push_back(arg);
        }
    }
    int status = Dispatch(argv[1], args);
    errno = 0;
    std::cout.flush();
    const int coutError = std::cout.fail() ? (errno != 0 ? errno : EIO) : 0;
    if (!orvexctl::ReportOutput::CloseStandardOutput(coutError) && status == 0) status = 1;
    return status;
}
