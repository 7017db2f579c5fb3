// Test main of the window tests: an offscreen Qt application, and no real network adapter.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/AppIcon.h"
#include "platform/NetworkIsolation.h"
#include "tests/support/PrivateStateHome.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C.UTF-8");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string adapter = platform::FirstRealAdapterUp();
    if (!adapter.empty()) {
        std::fprintf(stderr, "refusing to run: network adapter '%s' is up\n", adapter.c_str());
        return 1;
    }
    // The change journal of these tests; it outlives the application and its windows.
    const orvextest::PrivateStateHome state;
    QApplication application(argc, argv);
    QApplication::setWindowIcon(orvex::AppIcon());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
