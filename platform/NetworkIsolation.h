#pragma once
#include <string>

namespace platform {

// The name of a network interface that is up, other than loopback; empty when only
// loopback is up (as inside the private network namespace of the tests and benchmarks).
std::string FirstRealAdapterUp();

}  // namespace platform
