#pragma once
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// orvexctl scan --bind ADDR [--seconds N] [--events]: runs discovery on ADDR for N
// seconds with the camera list rules of the main window, then prints the list in the
// export format.
int RunScan(const Arguments& args);

}  // namespace orvexctl
