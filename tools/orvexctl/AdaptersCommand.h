#pragma once
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// orvexctl adapters: one line per adapter, tab-separated: description, IP, mask,
// gateway, primary DNS, secondary DNS.
int RunAdapters(const Arguments& args);

}  // namespace orvexctl
