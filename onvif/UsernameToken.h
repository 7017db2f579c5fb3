#pragma once
#include <string>

namespace orvex {

// WS-Security UsernameToken with PasswordDigest, as ONVIF devices take it:
// Base64(SHA-1(nonce + created + password)), the nonce random for every request and
// `Created` in the device's own time (this computer's time plus the device's offset), so
// that a camera whose clock is wrong still accepts it.
class UsernameToken {
public:
    // The wsse:Security header for `user` and `password` with `nonce` (raw bytes) and
    // `created` ("2026-12-10T09:30:00Z").
    static std::string Header(const std::string& user, const std::string& password,
                              const std::string& nonce, const std::string& created);
    // The same with the password itself (PasswordText), for a device that takes nothing
    // else; sent only when the user allows it.
    static std::string TextHeader(const std::string& user, const std::string& password,
                                  const std::string& nonce, const std::string& created);
    // Base64(SHA-1(nonce + created + password)).
    static std::string Digest(const std::string& nonce, const std::string& created,
                              const std::string& password);
    // 16 random bytes.
    static std::string NewNonce();
    // The UTC time `offsetSeconds` from now, as Created writes it.
    static std::string CreatedAt(long long offsetSeconds);
    static std::string Base64(const std::string& bytes);

private:
    static std::string Security(const std::string& user, const std::string& type, const std::string& passwordText,
                                const std::string& nonce, const std::string& created);
};

}  // namespace orvex
