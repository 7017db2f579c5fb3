#pragma once
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// orvexctl set-uid --host H [--port P] [--user U] [PASSWORD] [--format F] [--output FILE] UID
int RunSetUid(const Arguments& args);

}  // namespace orvexctl
