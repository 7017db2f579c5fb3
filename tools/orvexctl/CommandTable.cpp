#include "tools/orvexctl/CommandTable.h"

namespace orvexctl {
namespace {

const char* const kFormats = "values:text csv json";

OptionEntry Format() { return {"--format", "F", "text (the default), csv or json", kFormats}; }
OptionEntry Output() { return {"--output", "FILE", "write the report whole to FILE", "file"}; }
OptionEntry Password() { return {"--password", "W", "the camera password (better: --password-file)", ""}; }
OptionEntry PasswordFile() { return {"--password-file", "FILE", "read the password from the file's first line", "file"}; }
OptionEntry Bind() { return {"--bind", "ADDR", "a local IPv4 address to work from (repeatable)", "address"}; }
OptionEntry All() { return {"--all", "", "every adapter with an IPv4 address", ""}; }
OptionEntry AllowPlaintext() {
    return {"--allow-plaintext", "", "the password in plain text to a device that refuses digests", ""};
}
OptionEntry User() { return {"--user", "U", "the camera account (default admin)", ""}; }
OptionEntry Parallel(const char* dflt) {
    return {"--parallel", "N", std::string("cameras at once (default ") + dflt + ")", ""};
}
OptionEntry LockSeconds() {
    return {"--lock-seconds", "N", "wait this long for another Orvex changing the site (default 30)", ""};
}

const char* const kExitsChange =
    "0 every camera succeeded; 1 a camera failed or the report could not be written; "
    "2 bad arguments or a check refused before anything was sent; 128+N after signal N";

std::vector<CommandEntry> Build() {
    std::vector<CommandEntry> c;
    c.push_back({"adapters", "list the network adapters", "orvexctl adapters", {},
                 "0 listed; 1 the adapters could not be read", {"orvexctl adapters"}});
    c.push_back({"scan", "find cameras (native and ONVIF) from local addresses",
                 "orvexctl scan (--bind ADDR ... | --all) [OPTIONS]",
                 {Bind(), All(),
                  {"--seconds", "N", "search this long (default 5)", ""},
                  {"--events", "", "print each discovery message as it comes", ""},
                  {"--protocol", "P", "native, onvif or all (the default)", "values:native onvif all"},
                  {"--host", "H[:P]", "probe this address for ONVIF cameras by unicast (repeatable)", ""},
                  {"--probe-range", "A-B", "probe each address of the range for ONVIF cameras", ""},
                  {"--ttl", "N", "time to live of the ONVIF multicast probes (default 1)", ""},
                  Format(), Output()},
                 "0 listed; 1 no adapter could search, or the report could not be written; 2 bad arguments",
                 {"orvexctl scan --bind 192.168.1.20", "orvexctl scan --all --format json --output site.json",
                  "orvexctl scan --bind 192.168.1.20 --protocol onvif --probe-range 10.1.0.1-10.1.0.254"}});
    c.push_back({"cgi", "run a camera CGI command (exec, values, upload, download)",
                 "orvexctl cgi (exec URL | values URL KEY... | upload URL FILE | download URL) [OPTIONS]",
                 {{"--timeout", "SECONDS", "the exchange's time-out (default 5)", ""},
                  {"--kind", "4..8", "download: the request kind", "values:4 5 6 7 8"}},
                 "0 the camera said ok; 1 it did not (nResult says why); 2 bad arguments",
                 {"orvexctl cgi values 'http://192.168.1.57/get_status.cgi?user=admin&pwd=x' sys_ver"}});
    c.push_back({"firmware-doc", "read a firmware server document", "orvexctl firmware-doc [TEXT]", {},
                 "0 read; 1 not a document; 2 bad arguments", {"echo '{\"name\":\"1.7.16.0\"}' | orvexctl firmware-doc"}});
    c.push_back({"upgrade", "upgrade cameras' firmware and verify it",
                 "orvexctl upgrade TARGETS (--smart | --webui FILE | --system FILE) [OPTIONS]",
                 {{"--host", "H[:P]", "a camera (repeatable)", ""},
                  {"--hosts", "FILE", "cameras, one host[:port] a line", "file"},
                  {"--port", "P", "the port of cameras named without one (default 80)", ""},
                  {"--from-scan", "", "every camera a scan finds (with --bind or --all)", ""},
                  Bind(), All(),
                  {"--scan-seconds", "N", "how long the scan runs (default 5)", ""},
                  {"--smart", "", "the newest firmware of the firmware server", ""},
                  {"--version", "V", "smart: ask the firmware server about this version", ""},
                  {"--yes", "", "answer OK to the question a reinstall asks", ""},
                  {"--allow-older", "", "smart: follow a server offering an older version", ""},
                  {"--webui", "FILE", "upload this Web UI firmware", "firmware"},
                  {"--system", "FILE", "upload this system firmware", "firmware"},
                  {"--force", "", "send a file refused only as looking like text or blank", ""},
                  {"--expect-version", "V", "upload: skip cameras at V, verify the others by it", ""},
                  {"--reinstall", "", "flash again a camera that already runs the version", ""},
                  {"--dry-run", "", "say what would be upgraded; send nothing", ""},
                  Parallel("4"), LockSeconds(), User(), Password(), PasswordFile(), Format(), Output()},
                 kExitsChange,
                 {"orvexctl upgrade --from-scan --all --smart --password-file pw.txt",
                  "orvexctl upgrade --host 192.168.1.57 --system fw.bin --password-file pw.txt",
                  "orvexctl upgrade --from-scan --bind 192.168.1.20 --smart --dry-run --format json"}});
    c.push_back({"set-uid", "write a new UID into a camera", "orvexctl set-uid --host H [OPTIONS] UID",
                 {{"--host", "H", "the camera", ""}, {"--port", "P", "its HTTP port (default 80)", ""},
                  User(), Password(), PasswordFile(), Format(), Output()},
                 "0 written; 1 the camera refused; 2 bad arguments",
                 {"orvexctl set-uid --host 192.168.1.57 --password-file pw.txt ORVX000001ABCDE,ABCDEF"}});
    c.push_back({"set", "change cameras' network settings and verify them",
                 "orvexctl set (--mac MAC ... | --all-found | --plan FILE) (--bind ADDR ... | --all) [OPTIONS]\n"
                 "       orvexctl set --protocol onvif (--host H[:P] ... | --plan FILE) [OPTIONS]",
                 {{"--mac", "MAC", "a camera (repeatable)", ""},
                  {"--all-found", "", "every camera the search finds", ""},
                  {"--plan", "FILE", "a plan (CSV or JSON; a scan report restores)", "file"},
                  {"--skip-missing", "", "plan rows whose camera no search finds are reported, not refused", ""},
                  Bind(), All(),
                  {"--protocol", "native|onvif", "onvif: ONVIF cameras named with --host or a plan's rows", "values:native onvif"},
                  {"--host", "H[:P]", "an ONVIF camera's device service (repeatable)", ""},
                  AllowPlaintext(),
                  {"--ip", "A", "the new address", ""},
                  {"--ip-range", "START[-END]", "a new address from the range for each camera", ""},
                  {"--mask", "M", "the new mask", ""},
                  {"--gateway", "G", "the new gateway", ""},
                  {"--dns1", "D", "the new first DNS server", ""},
                  {"--dns2", "D", "the new second DNS server", ""},
                  {"--port", "P", "the new HTTP port", ""},
                  {"--dhcp", "on|off", "a dynamic or a fixed address", "values:on off"},
                  {"--name", "N", "the new name", ""},
                  {"--seconds", "N", "the first search (default 5)", ""},
                  {"--reply-seconds", "N", "wait for each set reply (default 5)", ""},
                  {"--verify-seconds", "N", "wait for a camera to show its new settings (default 60)", ""},
                  {"--dry-run", "", "print the changes; send nothing", ""},
                  Parallel("8"), LockSeconds(), User(), Password(), PasswordFile(), Format(), Output()},
                 kExitsChange,
                 {"orvexctl set --bind 192.168.1.20 --all-found --ip-range 192.168.1.100 --password-file pw.txt",
                  "orvexctl set --bind 192.168.1.20 --plan site.json --dry-run",
                  "orvexctl set --protocol onvif --host 192.168.1.64 --ip 192.168.1.120 --password-file pw.txt"}});
    c.push_back({"journal", "list the changes made to cameras", "orvexctl journal [OPTIONS]",
                 {{"--mac", "MAC", "only this camera's changes", ""},
                  {"--since", "TIME", "only changes from TIME on (2026-12-10, or with a time)", ""},
                  {"--until", "TIME", "only changes up to TIME", ""},
                  {"--plan-before", "FILE", "write the plan that puts back the settings before them", "file"},
                  Format(), Output()},
                 "0 listed; 1 the journal could not be read or the report written; 2 bad arguments",
                 {"orvexctl journal --since 2026-12-10", "orvexctl journal --mac 02:4F:52:00:00:01 --plan-before undo.json"}});
    c.push_back({"onvif", "ONVIF cameras: identity and settings, clock, reboot",
                 "orvexctl onvif (info | time-sync | reboot) (--host H[:P] ... | --from-scan ...) [OPTIONS]",
                 {{"--host", "H[:P]", "a camera's device service (repeatable)", ""},
                  {"--from-scan", "", "every ONVIF camera a scan finds (with --bind or --all)", ""},
                  Bind(), All(),
                  {"--scan-seconds", "N", "how long the scan runs (default 3)", ""},
                  {"--ntp", "SERVER", "time-sync: NTP from SERVER instead of this computer's UTC", ""},
                  {"--reboot-seconds", "N", "reboot: wait this long for it to come back (default 180)", ""},
                  AllowPlaintext(), Parallel("4"), User(), Password(), PasswordFile(), Format(), Output()},
                 kExitsChange,
                 {"orvexctl onvif info --from-scan --all --password-file pw.txt",
                  "orvexctl onvif time-sync --host 192.168.1.60 --password-file pw.txt"}});
    c.push_back({"help", "help on a command", "orvexctl help [COMMAND]", {}, "0 shown; 2 no such command",
                 {"orvexctl help set"}});
    c.push_back({"completion", "print the shell completion script", "orvexctl completion (bash | zsh)", {},
                 "0 printed; 2 bad arguments", {"source <(orvexctl completion bash)"}});
    return c;
}

}  // namespace

const std::vector<CommandEntry>& CommandTable::Commands() {
    static const std::vector<CommandEntry> commands = Build();
    return commands;
}

const CommandEntry* CommandTable::Find(const std::string& name) {
    for (const CommandEntry& command : Commands()) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

std::vector<OptionEntry> CommandTable::Everywhere() {
    return {{"--help", "", "this help", ""},
            {"--quiet", "", "only errors and the final report", ""},
            {"--verbose", "", "also the engine's trace lines, on standard error", ""}};
}

}  // namespace orvexctl
