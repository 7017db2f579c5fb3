// Test main of every test binary: refuses to run next to a real network adapter.
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <clocale>
#include <cstdio>
#include <string>

namespace {

// The name of an up interface other than loopback, or empty when there is none.
std::string RealAdapter() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return "";
    std::string found;
    for (ifaddrs* it = list; it && found.empty(); it = it->ifa_next) {
        if ((it->ifa_flags & IFF_UP) && !(it->ifa_flags & IFF_LOOPBACK)) found = it->ifa_name;
    }
    freeifaddrs(list);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C.UTF-8");
    const std::string adapter = RealAdapter();
    if (!adapter.empty()) {
        std::fprintf(stderr,
                     "refusing to run: network adapter '%s' is up. Run the tests through "
                     "ctest or tests/support/run-isolated.sh (a private network namespace).\n",
                     adapter.c_str());
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
