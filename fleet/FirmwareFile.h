#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace orvex {

// A firmware file as it is sent: opened once, read into memory, checked, and its size and
// SHA-256 taken from the very bytes an upload then sends (the path is never read again,
// so a file changed on disk afterwards changes nothing).
// Thread safety: a read file is never changed; its bytes may be shared by any thread.
class FirmwareFile {
public:
    // Why a file may not be sent. The last two rules guess (a user may know better and
    // send such a file with --force); the others are facts about the file.
    enum class Refusal {
        kNone,
        kUnreadable,  // cannot be opened or read (the system's reason in detail())
        kNotRegular,  // a folder, a device, a pipe
        kEmpty,
        kTooLarge,    // larger than MaxBytes()
        kText,        // an HTML/XML or JSON document, or text (detail(): what it looks like)
        kSameByte,    // every byte the same (detail(): the byte, "0x00")
    };

    // Reads and checks the file at `path`; Refused() tells whether it may be sent.
    static FirmwareFile Read(const std::string& path);
    // ORVEX_FIRMWARE_MAX_MB (1 to 4096) megabytes, else 64.
    static std::uint64_t MaxBytes();

    const std::string& Path() const { return m_path; }
    // The file's name without its folder.
    std::string Name() const;
    Refusal Refused() const { return m_refusal; }
    // Refused only by the rules --force may override.
    bool Overridable() const { return m_refusal == Refusal::kText || m_refusal == Refusal::kSameByte; }
    const std::string& Detail() const { return m_detail; }
    // "PATH: why" for a refused file, as orvexctl and the journal say it; "" when it may go.
    std::string Why() const;

    std::shared_ptr<const std::string> Bytes() const { return m_bytes; }
    std::uint64_t Size() const { return m_bytes ? m_bytes->size() : 0; }
    const std::string& Sha256() const { return m_sha256; }  // lower-case hex
    // "name, N bytes, SHA-256 hex" for status lines and logs.
    std::string Summary() const;

    // The rules on bytes alone (no file): kNone, kEmpty, kText or kSameByte, with what
    // the bytes look like in `detail`.
    static Refusal Judge(const std::string& bytes, std::string* detail);

private:
    std::string m_path;
    Refusal m_refusal = Refusal::kUnreadable;
    std::string m_detail;
    std::shared_ptr<const std::string> m_bytes;
    std::string m_sha256;
};

}  // namespace orvex
