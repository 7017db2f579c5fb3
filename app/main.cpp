// Orvex: finds IP cameras on the local network, shows and changes their settings.
#include <QApplication>
#include <clocale>

#include "app/AppIcon.h"
#include "app/OrvexApp.h"
#include "platform/Clock.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    platform::Clock::SetTimeScale(platform::TimeScaleFromEnvironment());
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvex");
    QApplication::setWindowIcon(orvex::AppIcon());
    orvex::COrvexApp app;
    app.InitInstance();
    return app.ExitInstance();
}
