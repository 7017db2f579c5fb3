#pragma once
#include <string>

namespace orvex {

// A camera's name as the bytes its name field holds: UTF-8 for most cameras, a code page
// of its own (GBK, say) for some. The bytes are what is compared and sent back; people and
// reports get a readable UTF-8 text, and the bytes in hex where that text is not them.
class CameraName {
public:
    static constexpr std::size_t kMaxBytes = 79;  // the field's 80 bytes with its zero

    static bool IsUtf8(const std::string& bytes);
    // The bytes read as UTF-8, a replacement character for each byte that is not.
    static std::string Readable(const std::string& bytes);
    // Lower-case hex of every byte; "" for a name that is UTF-8 (its text says it all).
    static std::string HexUnlessUtf8(const std::string& bytes);
    // Hex digits back to bytes; false when `hex` is not pairs of hex digits.
    static bool FromHex(const std::string& hex, std::string* bytes);
    // Why a camera should not be given this name ("" when it may): control characters,
    // white space at either end (its search reply drops it, so the name could never be
    // seen as set), more bytes than the field holds.
    static std::string WhyNotSendable(const std::string& bytes);
};

}  // namespace orvex
