#pragma once
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// orvexctl journal: prints the change journal (text, CSV or JSON), optionally for one MAC.
int RunJournal(const Arguments& args);

}  // namespace orvexctl
