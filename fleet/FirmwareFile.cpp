#include "fleet/FirmwareFile.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace orvex {
namespace {

constexpr std::size_t kSniffBytes = 4096;  // what the text rules look at
constexpr std::uint64_t kDefaultMaxMb = 64;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Length of the UTF-8 sequence at `i` (2 to 4), or 0 when the bytes there are not one.
std::size_t Utf8Sequence(const std::string& s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0                 ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 0;
    if (length == 0 || i + length > s.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    }
    return length;
}

// The share of the bytes that people read: printable ASCII, tabs and line ends, and
// characters of other scripts in UTF-8.
double PrintableShare(const std::string& s) {
    std::size_t printable = 0;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if ((c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r') {
            ++printable;
            ++i;
        } else if (const std::size_t n = Utf8Sequence(s, i)) {
            printable += n;
            i += n;
        } else {
            ++i;
        }
    }
    return s.empty() ? 0 : static_cast<double>(printable) / static_cast<double>(s.size());
}

std::string Sha256Hex(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        return "";
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

}  // namespace

std::uint64_t FirmwareFile::MaxBytes() {
    std::uint64_t mb = kDefaultMaxMb;
    if (const char* text = std::getenv("ORVEX_FIRMWARE_MAX_MB")) {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(text, &end, 10);
        if (end != text && *end == '\0' && value >= 1 && value <= 4096) mb = value;
    }
    return mb * 1024 * 1024;
}

FirmwareFile::Refusal FirmwareFile::Judge(const std::string& bytes, std::string* detail) {
    detail->clear();
    if (bytes.empty()) return Refusal::kEmpty;
    // A blank or erased image: all zeros, all 0xFF, or any one byte over and over.
    if (bytes.find_first_not_of(bytes[0]) == std::string::npos) {
        char text[8];
        std::snprintf(text, sizeof(text), "0x%02X", static_cast<unsigned char>(bytes[0]));
        *detail = text;
        return Refusal::kSameByte;
    }
    // Firmware is binary: a NUL byte near its start says so (text never holds one).
    const std::string head = bytes.substr(0, kSniffBytes);
    if (head.find('\0') != std::string::npos) return Refusal::kNone;
    // A document a browser saved in place of the firmware (its login or error page), or a
    // server's JSON answer, is what is most often sent by mistake.
    std::size_t start = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    start = std::min(head.find_first_not_of(" \t\r\n", start), head.size());
    const char first = start < head.size() ? head[start] : '\0';
    if (first == '<') {
        *detail = Lower(head.substr(start, 5)) == "<?xml" ? "XML" : "HTML";
        return Refusal::kText;
    }
    if (first == '{' || first == '[') {
        *detail = "JSON";
        return Refusal::kText;
    }
    // Anything else that is nearly all readable characters is a text of some kind.
    if (PrintableShare(head) > 0.95) {
        *detail = "text";
        return Refusal::kText;
    }
    return Refusal::kNone;
}

FirmwareFile FirmwareFile::Read(const std::string& path) {
    FirmwareFile file;
    file.m_path = path;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        file.m_detail = std::strerror(errno);
        return file;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        file.m_refusal = Refusal::kNotRegular;
        close(fd);
        return file;
    }
    // Read to the end, never more than the limit allows (a file still growing stops there).
    const std::uint64_t limit = MaxBytes();
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(
        static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0)), limit + 1)));
    char block[65536];
    for (;;) {
        const ssize_t got = read(fd, block, sizeof(block));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            file.m_detail = std::strerror(errno);
            close(fd);
            return file;
        }
        if (got == 0) break;
        bytes.append(block, static_cast<std::size_t>(got));
        if (bytes.size() > limit) {
            file.m_refusal = Refusal::kTooLarge;
            file.m_detail = std::to_string(limit / (1024 * 1024));
            close(fd);
            return file;
        }
    }
    close(fd);
    file.m_refusal = Judge(bytes, &file.m_detail);
    file.m_sha256 = Sha256Hex(bytes);
    file.m_bytes = std::make_shared<const std::string>(std::move(bytes));
    return file;
}

std::string FirmwareFile::Name() const {
    const auto slash = m_path.rfind('/');
    return slash == std::string::npos ? m_path : m_path.substr(slash + 1);
}

std::string FirmwareFile::Why() const {
    std::string why;
    switch (m_refusal) {
        case Refusal::kNone:
            return "";
        case Refusal::kUnreadable:
            why = "cannot be read: " + m_detail;
            break;
        case Refusal::kNotRegular:
            why = "not a regular file";
            break;
        case Refusal::kEmpty:
            why = "the file is empty";
            break;
        case Refusal::kTooLarge:
            why = "larger than " + m_detail + " MB, more than any camera firmware (ORVEX_FIRMWARE_MAX_MB)";
            break;
        case Refusal::kText:
            why = "this is a text file (looks like " + m_detail + "), not firmware";
            break;
        case Refusal::kSameByte:
            why = "every byte is " + m_detail + ": a blank or erased image, not firmware";
            break;
    }
    return m_path + ": " + why;
}

std::string FirmwareFile::Summary() const {
    return Name() + ", " + std::to_string(Size()) + " bytes, SHA-256 " + m_sha256;
}

}  // namespace orvex
