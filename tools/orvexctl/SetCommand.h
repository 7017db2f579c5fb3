#pragma once
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// orvexctl set: changes cameras' network settings over the discovery protocol (one camera,
// a range of addresses, or a plan file), checks everything before sending, verifies each
// camera by a later search and records each change in the change journal.
int RunSet(const Arguments& args);

}  // namespace orvexctl
