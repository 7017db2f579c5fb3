// Datagrams of any shape and length: decoding never reads past them or past 1024 bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "discovery/DiscoveryCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> copy(data, data + size);  // exact size for ASan
    const orvex::DecodedReply reply = orvex::DecodeReply(copy.data(), copy.size());
    if (reply.kind == orvex::DecodedReply::kDeviceFound &&
        (reply.record.nMode < 1 || reply.record.nMode > 5)) {
        std::abort();
    }
    return 0;
}
