#pragma once
#include <string>
#include <vector>

#include "fleet/OnvifBatch.h"
#include "fleet/SettingsChange.h"
#include "tools/orvexctl/CommandLine.h"
#include "tools/orvexctl/PasswordInput.h"
#include "tools/orvexctl/ReportOutput.h"

namespace orvexctl {

// The options of `orvexctl set`, checked for what can be checked before any search.
struct SetArguments {
    bool onvif = false;                      // --protocol onvif
    std::vector<orvex::OnvifTarget> hosts;   // --host: ONVIF cameras' device services
    bool allowPlaintext = false;             // --allow-plaintext: PasswordText to a device refusing digests
    std::vector<std::string> macs;
    bool allFound = false;
    std::string plan;
    orvex::SettingsChange change;  // --ip --mask --gateway --dns1 --dns2 --port --dhcp --name
    std::string ipRange;
    std::vector<std::string> binds;
    bool all = false;
    long seconds = 5;
    double replySeconds = 5;
    double verifySeconds = 60;
    long parallel = 8;
    bool dryRun = false;
    bool skipMissing = false;
    long lockSeconds = 30;
    std::string user = "admin";
    PasswordInput password;
    Format format = Format::kText;
    ReportOutput output;

    // 0, or exit status 2 after a one-line message.
    int Parse(const Arguments& args);

private:
    int TakeValue(const std::string& option, const std::string& value);
    bool HasSetting() const;
    int CheckOnvif() const;
};

}  // namespace orvexctl
