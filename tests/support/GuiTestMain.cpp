// Test main of the window tests: an offscreen Qt application, and no real network adapter.
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/AppIcon.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C.UTF-8");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (ifaddrs* it = list; it; it = it->ifa_next) {
            if ((it->ifa_flags & IFF_UP) && !(it->ifa_flags & IFF_LOOPBACK)) {
                std::fprintf(stderr, "refusing to run: network adapter '%s' is up\n", it->ifa_name);
                return 1;
            }
        }
        freeifaddrs(list);
    }
    QApplication application(argc, argv);
    QApplication::setWindowIcon(orvex::AppIcon());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
