// Orvex: finds IP cameras on the local network, shows and changes their settings.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "app/AppIcon.h"
#include "app/OrvexApp.h"
#include "platform/Clock.h"
#include "resources/Version.h"

namespace {

constexpr const char* kUsage =
    "usage: orvex [--help | --version]\n"
    "Opens the Orvex window: finds IP cameras on the local network, shows and changes\n"
    "their network settings and upgrades their firmware. See orvex(1).\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {  // the window takes no arguments but these
        const bool version = std::strcmp(argv[1], "--version") == 0;
        const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
        if (argc == 2 && version) {
            std::printf("orvex %s\n", orvex::kOrvexVersion);
            return 0;
        }
        if (argc == 2 && help) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        const char* wrong = version || help ? argv[2] : argv[1];
        std::fprintf(stderr, "orvex: unexpected argument '%s' (it takes only --help or --version)\n", wrong);
        return 2;
    }
    std::setlocale(LC_ALL, "");
    platform::Clock::SetTimeScale(platform::TimeScaleFromEnvironment());
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvex");
    QApplication::setDesktopFileName("net.orvex.Orvex");
    QApplication::setWindowIcon(orvex::AppIcon());
    orvex::COrvexApp app;
    app.InitInstance();
    return app.ExitInstance();
}
