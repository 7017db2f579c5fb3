// WS-Discovery datagrams of any shape: read or dropped with a reason, never a crash, and
// every match read names its endpoint.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "onvif/OnvifScopes.h"
#include "onvif/WsdMessage.h"
#include "onvif/XAddr.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string copy(reinterpret_cast<const char*>(data), size);  // exact size for ASan
    std::vector<orvex::WsdMatch> matches;
    std::string why, id;
    const bool read = orvex::WsdMessage::Parse(copy.data(), copy.size(), &matches, &why);
    if (!read && why.empty()) std::abort();
    for (const orvex::WsdMatch& match : matches) {
        if (match.endpoint.empty()) std::abort();
        orvex::OnvifScopes::Read(match.scopes);
        for (const std::string& x : match.xaddrs) orvex::XAddr::Parse(x);
    }
    std::vector<orvex::WsdType> types;
    orvex::WsdMessage::ParseProbe(copy.data(), copy.size(), &id, &types, &why);
    return 0;
}
