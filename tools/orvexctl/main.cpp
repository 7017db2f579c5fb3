// orvexctl: the engine from the command line, for scripts and checks without a display.
#include <cerrno>
#include <clocale>
#include <iostream>
#include <string>

#include "platform/Clock.h"
#include "resources/Version.h"
#include "tools/orvexctl/AdaptersCommand.h"
#include "tools/orvexctl/CgiCommand.h"
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

constexpr const char* kUsage =
    "usage: orvexctl COMMAND [OPTIONS]\n"
    "  adapters                                   list the network adapters\n"
    "  scan (--bind ADDR ... | --all) [--seconds N] [--events] [--format text|csv|json]\n"
    "          [--protocol native|onvif|all] [--host H[:P] ...] [--probe-range A-B] [--ttl N]\n"
    "                                             find cameras from local addresses\n"
    "  cgi exec URL                               run a camera CGI command\n"
    "  cgi values URL KEY...                      read named values of a CGI reply\n"
    "  cgi upload URL FILE                        upload a firmware file\n"
    "  cgi download URL [--kind 4..8]             download a reply as the firmware query does\n"
    "  firmware-doc [TEXT]                        read a firmware server document (or stdin)\n"
    "  (cgi commands take --timeout SECONDS, default 5)\n"
    "  upgrade TARGETS [--user U] [PASSWORD] (--smart [--version V] [--yes] | --webui FILE |\n"
    "          --system FILE) [--parallel N] [--format text|csv|json]\n"
    "                                             upgrade cameras' firmware and verify it\n"
    "          TARGETS: --host H[:P] ... [--port P] | --hosts FILE | --from-scan;\n"
    "          --bind ADDR ... | --all also follows cameras by MAC ([--scan-seconds N])\n"
    "  set-uid --host H [--port P] [--user U] [PASSWORD] [--format F] UID\n"
    "                                             write a new UID into a camera\n"
    "  set (--mac MAC ... | --all-found | --plan FILE) (--bind ADDR ... | --all)\n"
    "          [--ip A | --ip-range START[-END]] [--mask M] [--gateway G] [--dns1 D]\n"
    "          [--dns2 D] [--port P] [--dhcp on|off] [--name N] [--user U] [PASSWORD]\n"
    "          [--seconds N] [--reply-seconds N] [--verify-seconds N] [--parallel N]\n"
    "          [--dry-run] [--format text|csv|json]\n"
    "                                             change network settings and verify them\n"
    "  journal [--mac MAC] [--format text|csv|json]  list the changes made to cameras\n"
    "  onvif (info | time-sync [--ntp SERVER] | reboot) (--host H[:P] ... | --from-scan\n"
    "          (--bind ADDR ... | --all)) [--user U] [PASSWORD] [--parallel N] [--format F]\n"
    "                                             ONVIF cameras: identity, clock, reboot\n"
    "  (scan, upgrade, set, set-uid and journal take --output FILE: the report written\n"
    "   whole to FILE)\n"
    "  PASSWORD: --password W | --password-file FILE; else ORVEX_PASSWORD, else a prompt\n"
    "  --version                                  print the version\n";

int Dispatch(const std::string& command, const orvexctl::Arguments& args) {
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
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    return orvexctl::BadArguments("unknown command '" + command + "'\n" + kUsage);
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    orvexctl::StopSignals::Install();
    platform::Clock::SetTimeScale(platform::TimeScaleFromEnvironment());
    if (argc < 2) {
        std::cerr << kUsage;
        return orvexctl::kExitBadArguments;
    }
    int status = Dispatch(argv[1], orvexctl::Arguments(argv + 2, argv + argc));
    errno = 0;
    std::cout.flush();
    const int coutError = std::cout.fail() ? (errno != 0 ? errno : EIO) : 0;
    if (!orvexctl::ReportOutput::CloseStandardOutput(coutError) && status == 0) status = 1;
    return status;
}
