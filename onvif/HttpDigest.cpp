#include "onvif/HttpDigest.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

namespace orvex {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The name=value and name="quoted value" pairs after "Digest".
std::vector<std::pair<std::string, std::string>> Params(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> params;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == ',' || text[i] == '\t')) ++i;
        const std::size_t eq = text.find('=', i);
        if (eq == std::string::npos) break;
        std::string name = Lower(text.substr(i, eq - i));
        name.erase(std::remove_if(name.begin(), name.end(), [](unsigned char c) { return std::isspace(c); }), name.end());
        i = eq + 1;
        std::string value;
        if (i < text.size() && text[i] == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) ++i;
                value += text[i];
            }
            ++i;
        } else {
            while (i < text.size() && text[i] != ',') value += text[i++];
            while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
        }
        params.emplace_back(name, value);
    }
    return params;
}

// A quoted-string value: its quotes and backslashes escaped.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

int Strength(const DigestChallenge& c) {
    if (!c.supported) return 0;
    return c.algorithm.rfind("SHA-256", 0) == 0 ? 2 : 1;
}

}  // namespace

std::string HttpDigest::Hash(const std::string& algorithm, const std::string& text) {
    const EVP_MD* md = algorithm.rfind("SHA-256", 0) == 0 ? EVP_sha256() : EVP_md5();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, md, nullptr);
    std::string hex;
    char byte[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(byte, sizeof(byte), "%02x", digest[i]);
        hex += byte;
    }
    return hex;
}

std::vector<DigestChallenge> HttpDigest::Challenges(const std::string& headText) {
    std::vector<DigestChallenge> challenges;
    std::istringstream lines(headText);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto colon = line.find(':');
        if (colon == std::string::npos || Lower(line.substr(0, colon)) != "www-authenticate") continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        if (Lower(value.substr(0, 7)) != "digest ") continue;
        DigestChallenge c;
        for (const auto& [name, v] : Params(value.substr(7))) {
            if (name == "realm") c.realm = v;
            if (name == "nonce") c.nonce = v;
            if (name == "opaque") c.opaque = v;
            if (name == "algorithm") c.algorithm = v;
            if (name == "qop") {
                std::istringstream offered(v);
                for (std::string q; std::getline(offered, q, ',');) {
                    q.erase(std::remove_if(q.begin(), q.end(), [](unsigned char ch) { return std::isspace(ch); }), q.end());
                    c.qopAuth = c.qopAuth || Lower(q) == "auth";
                }
            }
        }
        const std::string a = c.algorithm;
        c.supported = !c.nonce.empty() && (a == "MD5" || a == "MD5-sess" || a == "SHA-256" || a == "SHA-256-sess");
        challenges.push_back(c);
    }
    std::stable_sort(challenges.begin(), challenges.end(),
                     [](const DigestChallenge& x, const DigestChallenge& y) { return Strength(x) > Strength(y); });
    return challenges;
}

std::string HttpDigest::Authorization(const DigestChallenge& c, const std::string& user,
                                      const std::string& password, const std::string& method,
                                      const std::string& uri, const std::string& cnonce, unsigned nc) {
    char count[16];
    std::snprintf(count, sizeof(count), "%08x", nc);
    std::string ha1 = Hash(c.algorithm, user + ":" + c.realm + ":" + password);
    if (c.algorithm.size() > 5 && c.algorithm.compare(c.algorithm.size() - 5, 5, "-sess") == 0)
        ha1 = Hash(c.algorithm, ha1 + ":" + c.nonce + ":" + cnonce);
    const std::string ha2 = Hash(c.algorithm, method + ":" + uri);
    const std::string response = c.qopAuth ? Hash(c.algorithm, ha1 + ":" + c.nonce + ":" + count + ":" + cnonce + ":auth:" + ha2)
                                           : Hash(c.algorithm, ha1 + ":" + c.nonce + ":" + ha2);
    std::string header = "Digest username=" + Quoted(user) + ", realm=" + Quoted(c.realm) +
                         ", nonce=" + Quoted(c.nonce) + ", uri=" + Quoted(uri) + ", algorithm=" + c.algorithm +
                         ", response=\"" + response + "\"";
    if (c.qopAuth) header += ", qop=auth, nc=" + std::string(count) + ", cnonce=" + Quoted(cnonce);
    if (!c.opaque.empty()) header += ", opaque=" + Quoted(c.opaque);
    return header;
}

}  // namespace orvex
