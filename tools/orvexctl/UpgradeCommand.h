#pragma once
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// orvexctl upgrade TARGETS [--user U] [PASSWORD] (--smart [--version V] [--yes] |
//                  --webui FILE | --system FILE) [--parallel N] [--format F] [--output FILE]
// Runs the upgrade as the smart upgrade page or the manual upgrade dialog does, each camera
// once, and verifies it. Exit 0 when every camera is verified, 128+signal after a stop.
int RunUpgrade(const Arguments& args);

}  // namespace orvexctl
