#pragma once
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// orvexctl scan (--bind ADDR ... | --all) [--seconds N] [--events] [--format F]: runs
// discovery from each address for N seconds with the camera list rules of the main
// window, then prints the merged list in the export format, as CSV or as JSON. A source
// whose search cannot be sent is reported on standard error; when none could search the
// exit status is 1.
int RunScan(const Arguments& args);

}  // namespace orvexctl
