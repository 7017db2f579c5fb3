#include "onvif/UsernameToken.h"
#include "onvif/XmlText.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <ctime>
#include <vector>

namespace orvex {
std::string UsernameToken::Base64(const std::string& bytes) {
    std::vector<unsigned char> out(4 * ((bytes.size() + 2) / 3) + 1);
    const int n = EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(n));
}

std::string UsernameToken::Digest(const std::string& nonce, const std::string& created,
                                  const std::string& password) {
    const std::string input = nonce + created + password;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(input.data(), input.size(), digest, &length, EVP_sha1(), nullptr);
    return Base64(std::string(reinterpret_cast<const char*>(digest), length));
}

std::string UsernameToken::NewNonce() {
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof(bytes)) != 1) return "";
    return std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

std::string UsernameToken::CreatedAt(long long offsetSeconds) {
    const std::time_t at = std::time(nullptr) + static_cast<std::time_t>(offsetSeconds);
    std::tm utc{};
    gmtime_r(&at, &utc);
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string UsernameToken::Header(const std::string& user, const std::string& password,
                                  const std::string& nonce, const std::string& created) {
    return Security(user, "PasswordDigest", Digest(nonce, created, password), nonce, created);
}

std::string UsernameToken::TextHeader(const std::string& user, const std::string& password,
                                      const std::string& nonce, const std::string& created) {
    return Security(user, "PasswordText", XmlText::Escaped(password), nonce, created);
}

std::string UsernameToken::Security(const std::string& user, const std::string& type,
                                    const std::string& passwordText, const std::string& nonce,
                                    const std::string& created) {
    return "<wsse:Security s:mustUnderstand=\"1\" "
           "xmlns:wsse=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd\" "
           "xmlns:wsu=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd\">"
           "<wsse:UsernameToken><wsse:Username>" + XmlText::Escaped(user) + "</wsse:Username>"
           "<wsse:Password Type=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-username-token-profile-1.0#" + type + "\">" + passwordText +
           "</wsse:Password><wsse:Nonce EncodingType=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-soap-message-security-1.0#Base64Binary\">" + Base64(nonce) +
           "</wsse:Nonce><wsu:Created>" + created + "</wsu:Created></wsse:UsernameToken></wsse:Security>";
}

}  // namespace orvex
