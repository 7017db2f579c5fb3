#pragma once
#include <string>

namespace orvextest {

// Runs an `ip` command inside the test's private network namespace; true on success.
bool Ip(const std::string& arguments);

}  // namespace orvextest
