#pragma once
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// orvexctl cgi exec|values|upload|download URL ...: one CGI operation as the engine runs
// it; prints nResult=N and contentLen=N, then what the operation returned.
int RunCgi(const Arguments& args);
// orvexctl firmware-doc [TEXT]: reads a firmware server reply (standard input without TEXT).
int RunFirmwareDoc(const Arguments& args);

}  // namespace orvexctl
