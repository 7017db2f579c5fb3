#include "tests/support/NetnsCommand.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace orvextest {

namespace {

bool WriteSetting(const std::string& path, const char* value) {
    std::ofstream out(path);
    return static_cast<bool>(out << value << '\n') && static_cast<bool>(out.flush());
}

}  // namespace

bool Ip(const std::string& arguments) {
    const std::string command = "ip " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

bool AddCameraSite(const std::string& adapter, const std::string& adapterCidr,
                   const std::vector<std::string>& addresses) {
    const std::string far = adapter + "c";
    // One run of ip for hundreds of addresses.
    FILE* ip = popen("ip -batch - >/dev/null 2>&1", "w");
    if (!ip) return false;
    std::string batch = "link add " + adapter + " type veth peer name " + far + "\nlink set " + adapter +
                        " up\nlink set " + far + " up\naddr add " + adapterCidr + " dev " + adapter + "\n";
    for (const std::string& a : addresses) batch += "addr add " + a + "/24 dev " + far + "\n";
    const bool written = std::fwrite(batch.data(), 1, batch.size(), ip) == batch.size();
    if (pclose(ip) != 0 || !written) return false;
    Ip("route add 239.255.255.250/32 dev " + adapter);  // the first site only; others choose theirs
    for (const std::string& conf : {std::string("all"), far}) {
        const std::string dir = "/proc/sys/net/ipv4/conf/" + conf;
        if (!WriteSetting(dir + "/accept_local", "1") || !WriteSetting(dir + "/rp_filter", "0")) return false;
    }
    return true;
}

}  // namespace orvextest
