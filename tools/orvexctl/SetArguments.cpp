#include "tools/orvexctl/SetArguments.h"

#include "fleet/NetSettings.h"
#include "fleet/SetPlanner.h"
#include "tools/orvexctl/CommonOptions.h"

namespace orvexctl {

bool SetArguments::HasSetting() const {
    const orvex::SettingsChange& c = change;
    return c.ip || c.mask || c.gateway || c.dns1 || c.dns2 || c.name || c.port || c.netMode ||
           !ipRange.empty();
}

int SetArguments::TakeValue(const std::string& option, const std::string& value) {
    long number = 0;
    if (option == "--mac") {
        if (orvex::SetPlanner::NormalMac(value).empty())
            return BadArguments("--mac takes a MAC address like 02:4F:52:00:00:01, got '" + value +
                                "'");
        macs.push_back(value);
    } else if (option == "--plan") {
        plan = value;
    } else if (option == "--ip" || option == "--mask" || option == "--gateway" ||
               option == "--dns1" || option == "--dns2") {
        // An empty gateway or DNS clears it; the addresses themselves are checked with the plan.
        if (!value.empty() && !IsIpv4(value))
            return BadArguments(option + " takes an IPv4 address, got '" + value + "'");
        std::optional<std::string>& field = option == "--ip"        ? change.ip
                                            : option == "--mask"    ? change.mask
                                            : option == "--gateway" ? change.gateway
                                            : option == "--dns1"    ? change.dns1
                                                                    : change.dns2;
        field = value;
    } else if (option == "--port") {
        if (!ParseInteger(value, 1, 65535, &number))
            return BadArguments("--port takes 1 to 65535, got '" + value + "'");
        change.port = static_cast<int>(number);
    } else if (option == "--dhcp") {
        if (value != "on" && value != "off")
            return BadArguments("--dhcp takes on or off, got '" + value + "'");
        change.netMode = value == "on" ? 1 : 0;
    } else if (option == "--name") {
        change.name = value;
    } else if (option == "--ip-range") {
        ipRange = value;
    } else if (option == "--protocol") {
        if (value != "native" && value != "onvif")
            return BadArguments("--protocol takes native or onvif, got '" + value + "'");
        onvif = value == "onvif";
    } else if (option == "--host") {
        orvex::OnvifTarget target;
        if (!orvex::OnvifTarget::Parse(value, &target))
            return BadArguments("--host takes an IPv4 address (and :PORT), got '" + value + "'");
        hosts.push_back(target);
    } else if (option == "--bind") {
        if (!IsIpv4(value))
            return BadArguments("--bind takes an IPv4 address, got '" + value + "'");
        binds.push_back(value);
    } else if (option == "--user") {
        user = value;
    } else if (option == "--seconds" || option == "--reply-seconds" ||
               option == "--verify-seconds") {
        if (!ParseInteger(value, 1, 3600, &number))
            return BadArguments(option + " takes 1 to 3600, got '" + value + "'");
        if (option == "--seconds") seconds = number;
        if (option == "--reply-seconds") replySeconds = static_cast<double>(number);
        if (option == "--verify-seconds") verifySeconds = static_cast<double>(number);
    } else if (option == "--lock-seconds") {
        if (!ParseInteger(value, 0, 3600, &lockSeconds))
            return BadArguments("--lock-seconds takes 0 to 3600, got '" + value + "'");
    } else if (option == "--parallel") {
        if (!ParseInteger(value, 1, 256, &parallel))
            return BadArguments("--parallel takes 1 to 256, got '" + value + "'");
    }
    return 0;
}

int SetArguments::Parse(const Arguments& args) {
    static const char* const kValued[] = {
        "--mac",  "--plan",    "--ip",       "--mask",          "--gateway",       "--dns1",
        "--dns2", "--port",    "--dhcp",     "--name",          "--ip-range",      "--bind",
        "--user", "--seconds", "--parallel", "--reply-seconds", "--verify-seconds",
        "--lock-seconds", "--protocol", "--host"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        const auto common = CommonOptions::Take(args, i, &format, &output, &password);
        if (common == CommonOptions::kBad) return kExitBadArguments;
        if (common == CommonOptions::kTaken) continue;
        bool valued = false;
        for (const char* name : kValued) valued = valued || arg == name;
        if (valued) {
            if (!value) return BadArguments(arg + " needs a value");
            ++i;
            if (const int bad = TakeValue(arg, *value)) return bad;
        } else if (arg == "--all-found") {
            allFound = true;
        } else if (arg == "--all") {
            all = true;
        } else if (arg == "--dry-run") {
            dryRun = true;
        } else if (arg == "--skip-missing") {
            skipMissing = true;
        } else if (arg == "--allow-plaintext") {
            allowPlaintext = true;
        } else {
            return BadArguments("unknown option '" + arg + "' for set");
        }
    }
    if (onvif) return CheckOnvif();
    if (!hosts.empty()) return BadArguments("--host names ONVIF cameras: give --protocol onvif");
    if (allowPlaintext) return BadArguments("--allow-plaintext is for ONVIF cameras: give --protocol onvif");
    const int choices = (macs.empty() ? 0 : 1) + (allFound ? 1 : 0) + (plan.empty() ? 0 : 1);
    if (choices != 1) return BadArguments("set takes --mac MAC ..., --all-found or --plan FILE");
    if (!plan.empty() && HasSetting())
        return BadArguments("--plan takes the settings from the file; give no setting options");
    if (plan.empty() && !HasSetting())
        return BadArguments(
            "set needs a setting (--ip --mask --gateway --dns1 --dns2 --port --dhcp --name "
            "--ip-range)");
    if (change.ip && !ipRange.empty())
        return BadArguments("set takes --ip or --ip-range, not both");
    if (change.ip && (allFound || macs.size() > 1))
        return BadArguments("--ip names one camera's address; for several cameras use --ip-range");
    if (binds.empty() && !all)
        return BadArguments("set needs --bind ADDR (a local address to search from) or --all");
    if (!binds.empty() && all) return BadArguments("set takes --bind or --all, not both");
    if (skipMissing && plan.empty()) return BadArguments("--skip-missing goes with --plan");
    return 0;
}

// ONVIF cameras are named by their device service; their settings are the addresses and
// the mode (the HTTP port and the name are not theirs to change through it).
int SetArguments::CheckOnvif() const {
    if (hosts.empty() == plan.empty())
        return BadArguments("set --protocol onvif takes --host H[:P] for each camera, or --plan FILE");
    if (!macs.empty() || allFound || !binds.empty() || all || skipMissing)
        return BadArguments("set --protocol onvif names its cameras with --host or --plan only");
    if (!plan.empty()) {
        if (HasSetting()) return BadArguments("--plan takes the settings from the file; give no setting options");
        return 0;
    }
    if (change.port || change.name)
        return BadArguments("set --protocol onvif changes --ip --mask --gateway --dns1 --dns2 --dhcp only");
    if (!HasSetting())
        return BadArguments("set needs a setting (--ip --mask --gateway --dns1 --dns2 --dhcp --ip-range)");
    if (change.ip && !ipRange.empty()) return BadArguments("set takes --ip or --ip-range, not both");
    if (change.ip && hosts.size() > 1)
        return BadArguments("--ip names one camera's address; for several cameras use --ip-range");
    return 0;
}

}  // namespace orvexctl
