#include "tests/support/NetnsCommand.h"

#include <cstdlib>

namespace orvextest {

bool Ip(const std::string& arguments) {
    const std::string command = "ip " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

}  // namespace orvextest
