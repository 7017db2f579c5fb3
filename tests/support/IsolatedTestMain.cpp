// Test main of every test binary: refuses to run next to a real network adapter.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "platform/NetworkIsolation.h"
#include "tests/support/PrivateStateHome.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C.UTF-8");
    const std::string adapter = platform::FirstRealAdapterUp();
    if (!adapter.empty()) {
        std::fprintf(stderr,
                     "refusing to run: network adapter '%s' is up. Run the tests through "
                     "ctest or tests/support/run-isolated.sh (a private network namespace).\n",
                     adapter.c_str());
        return 1;
    }
    const orvextest::PrivateStateHome state;  // the change journal of these tests
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
