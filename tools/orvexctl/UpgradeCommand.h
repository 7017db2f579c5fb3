#pragma once
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// orvexctl upgrade --host H --port P --user U --password W
//                  (--smart --version V | --webui FILE | --system FILE) [--yes]
// Runs the upgrade as the smart upgrade page or the manual upgrade dialog does and
// prints "status N text" at each status change. Exit 0 when the run completes (38).
int RunUpgrade(const Arguments& args);
// orvexctl set-uid --host H --port P --user U --password W UID
int RunSetUid(const Arguments& args);

}  // namespace orvexctl
