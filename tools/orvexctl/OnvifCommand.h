#pragma once
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// orvexctl onvif (info | time-sync [--ntp SERVER] | reboot) (--host H[:P] ... | --from-scan
// (--bind ADDR ... | --all)) [--user U] [PASSWORD] [--parallel N]: reads ONVIF cameras'
// identity, clock and network settings, sets their clocks, or reboots them, each change
// verified and journaled; exit 0 only when every camera succeeded.
int RunOnvif(const Arguments& args);

}  // namespace orvexctl
