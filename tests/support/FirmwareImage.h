#pragma once
#include <cstdint>
#include <string>

namespace orvextest {

// A firmware file as the virtual cameras read one: "ORVEXFW <version>\n" names its
// version, then binary bytes (a NUL first, as in real images) up to `size` bytes in all.
inline std::string FirmwareImage(const std::string& version, std::size_t size = 256) {
    std::string bytes = "ORVEXFW " + version + "\n";
    bytes += '\0';
    std::uint32_t state = 2463534242u;
    while (bytes.size() < size) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes += static_cast<char>(state & 0xFF);
    }
    return bytes;
}

}  // namespace orvextest
