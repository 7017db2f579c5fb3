// The two ways an ONVIF device takes a login, checked against independent software from
// Debian: our UsernameToken digest against python3-zeep's for the same nonce, time and
// password, and our HTTP Digest client against lighttpd's mod_auth (SHA-256 and MD5),
// which must let the right password in and refuse a wrong one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "onvif/HttpDigest.h"
#include "onvif/HttpExchange.h"
#include "onvif/UsernameToken.h"
#include "tests/support/ProcessRunner.h"

namespace orvex {
namespace {

TEST(UsernameTokenTest, TheDigestIsZeepsForTheSameNonceTimeAndPassword) {
    const std::string script =
        "import datetime\n"
        "from zeep.wsse.username import UsernameToken\n"
        "from lxml import etree\n"
        "t = UsernameToken('admin', 'pa&ss w\\u00f6rd', use_digest=True, nonce='0123456789abcdef',\n"
        "    created=datetime.datetime(2026, 12, 10, 9, 30, 0, tzinfo=datetime.timezone.utc), zulu_timestamp=True)\n"
        "e = etree.fromstring('<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Header/><e:Body/></e:Envelope>')\n"
        "e, h = t.apply(e, {})\n"
        "ns = {'w': 'http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd'}\n"
        "print(e.find('.//w:Password', ns).text)\n";
    const auto zeep = orvextest::RunProcess("/usr/bin/python3", {"-c", script});
    ASSERT_EQ(zeep.status, 0) << zeep.err;
    EXPECT_EQ(UsernameToken::Digest("0123456789abcdef", "2026-12-10T09:30:00Z", "pa&ss w\xC3\xB6rd") + "\n", zeep.out);
    // The header carries the nonce in base64 and the name escaped.
    const std::string header = UsernameToken::Header("a<b", "x", "0123456789abcdef", "2026-12-10T09:30:00Z");
    EXPECT_NE(header.find(">MDEyMzQ1Njc4OWFiY2RlZg==<"), std::string::npos) << header;
    EXPECT_NE(header.find("<wsse:Username>a&lt;b</wsse:Username>"), std::string::npos);
    EXPECT_NE(UsernameToken::NewNonce(), UsernameToken::NewNonce());
    EXPECT_EQ(UsernameToken::NewNonce().size(), 16u);
}

TEST(HttpDigestTest, ChallengesAreReadStrongestFirstWhateverTheirQuoting) {
    const auto challenges = HttpDigest::Challenges(
        "HTTP/1.1 401 Unauthorized\r\n"
        "WWW-Authenticate: Basic realm=\"x\"\r\n"
        "www-authenticate: Digest realm=\"a, b\", qop=\"auth-int, auth\", nonce=\"n1\", algorithm=MD5\r\n"
        "WWW-Authenticate: Digest realm=\"r\", algorithm=SHA-256, nonce=\"n2\", opaque=\"o\"\r\n"
        "WWW-Authenticate: Digest realm=\"r\", algorithm=SHA-512-256, nonce=\"n3\"\r\n\r\n");
    ASSERT_EQ(challenges.size(), 3u);
    EXPECT_EQ(challenges[0].algorithm, "SHA-256");
    EXPECT_FALSE(challenges[0].qopAuth);
    EXPECT_EQ(challenges[0].opaque, "o");
    EXPECT_EQ(challenges[1].realm, "a, b");
    EXPECT_TRUE(challenges[1].qopAuth);
    EXPECT_FALSE(challenges[2].supported);
    // RFC 7616's own example (section 3.9.1) for MD5.
    DigestChallenge c;
    c.realm = "http-auth@example.org";
    c.nonce = "7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v";
    c.opaque = "FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS";
    c.qopAuth = true;
    const std::string header = HttpDigest::Authorization(c, "Mufasa", "Circle of Life", "GET", "/dir/index.html",
                                                         "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ", 1);
    EXPECT_NE(header.find("response=\"8ca523f5e9506fed4657c9700eebdbec\""), std::string::npos) << header;
    c.algorithm = "SHA-256";
    EXPECT_NE(HttpDigest::Authorization(c, "Mufasa", "Circle of Life", "GET", "/dir/index.html",
                                        "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ", 1)
                  .find("response=\"753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1\""),
              std::string::npos);
}

// lighttpd protecting /secure/ with Digest of the given algorithms, on 127.0.0.1:8090.
class Lighttpd {
public:
    explicit Lighttpd(const std::string& algorithms) {
        char folder[] = "/tmp/orvex-digest-XXXXXX";
        dir = mkdtemp(folder);
        mkdir((dir + "/www").c_str(), 0755);
        mkdir((dir + "/www/secure").c_str(), 0755);
        std::ofstream(dir + "/www/secure/index.txt") << "inside\n";
        std::ofstream(dir + "/users") << "admin:right\n";
        std::ofstream(dir + "/lighttpd.conf")
            << "server.document-root = \"" << dir << "/www\"\nserver.port = 8090\nserver.bind = \"127.0.0.1\"\n"
            << "server.modules = (\"mod_auth\", \"mod_authn_file\")\nauth.backend = \"plain\"\n"
            << "auth.backend.plain.userfile = \"" << dir << "/users\"\n"
            << "auth.require = (\"/secure/\" => (\"method\" => \"digest\", \"realm\" => \"cams\", "
            << "\"require\" => \"valid-user\", \"algorithm\" => \"" << algorithms << "\"))\n";
        pid = fork();
        if (pid == 0) {
            execl("/usr/sbin/lighttpd", "lighttpd", "-D", "-f", (dir + "/lighttpd.conf").c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100 && HttpExchange::Send("127.0.0.1", 8090, "GET", "/", {}, "", 1).status == 0; ++i)
            usleep(50 * 1000);
    }
    ~Lighttpd() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        orvextest::RunProcess("/bin/rm", {"-rf", dir});
    }
    // A GET of the protected file, answering the challenge with `password`.
    HttpExchange::Reply Get(const std::string& password, std::string* algorithm) {
        const auto challenge = HttpExchange::Send("127.0.0.1", 8090, "GET", "/secure/index.txt", {}, "", 5);
        EXPECT_EQ(challenge.status, 401);
        const auto challenges = HttpDigest::Challenges(challenge.head);
        EXPECT_FALSE(challenges.empty());
        if (challenges.empty()) return {};
        *algorithm = challenges.front().algorithm;
        return HttpExchange::Send(
            "127.0.0.1", 8090, "GET", "/secure/index.txt",
            {"Authorization: " + HttpDigest::Authorization(challenges.front(), "admin", password, "GET",
                                                           "/secure/index.txt", "0a4f52c1", 1)},
            "", 5);
    }

    std::string dir;
    pid_t pid = -1;
};

TEST(HttpDigestTest, LighttpdLetsTheRightPasswordInAndRefusesAWrongOne) {
    for (const std::string algorithms : {"SHA-256|MD5", "MD5"}) {
        Lighttpd server(algorithms);
        std::string algorithm;
        const auto in = server.Get("right", &algorithm);
        EXPECT_EQ(algorithm, algorithms == "MD5" ? "MD5" : "SHA-256");
        EXPECT_EQ(in.status, 200) << algorithms << "\n" << in.head;
        EXPECT_EQ(in.body, "inside\n");
        const auto out = server.Get("wrong", &algorithm);
        EXPECT_EQ(out.status, 401) << algorithms;
        EXPECT_NE(out.body, "inside\n");
    }
}

}  // namespace
}  // namespace orvex
