#pragma once
#include <string>
#include <vector>

namespace orvex {

// One Digest challenge of a 401 reply (RFC 7616).
struct DigestChallenge {
    std::string realm;
    std::string nonce;
    std::string opaque;
    std::string algorithm = "MD5";  // MD5, MD5-sess, SHA-256 or SHA-256-sess
    bool qopAuth = false;           // "auth" among the qop offered
    bool supported = false;         // an algorithm this client speaks
};

// HTTP Digest authentication, the client's side: the challenges of a reply and the
// Authorization header that answers one, with hashes from OpenSSL's libcrypto.
class HttpDigest {
public:
    // The Digest challenges in a reply's header text, the strongest supported first
    // (SHA-256 before MD5); none when the reply asks for another scheme.
    static std::vector<DigestChallenge> Challenges(const std::string& headText);
    // The value of the Authorization header for `method` and `uri`, with the client nonce
    // `cnonce` and the request count `nc` (1 for the first use of a server nonce).
    static std::string Authorization(const DigestChallenge& challenge, const std::string& user,
                                     const std::string& password, const std::string& method,
                                     const std::string& uri, const std::string& cnonce, unsigned nc);
    // Lower-case hex of the algorithm's hash of `text` (MD5 or SHA-256).
    static std::string Hash(const std::string& algorithm, const std::string& text);
};

}  // namespace orvex
