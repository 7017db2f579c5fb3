// Firmware that cannot brick a camera: orvexctl upgrade checks the file before any camera
// hears of it, sends exactly the bytes it checked, flashes a camera again only when asked
// and never goes back to an older version unless told to.
#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/FirmwareImage.h"
#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TestClock.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/FirmwareServer.h"

namespace {

using orvextest::FirmwareImage;
using orvextest::ParseJson;
using orvextest::RunProcess;
using orvextest::ToolPath;

// The SHA-256 of `bytes` as sha256sum (coreutils) computes it.
std::string Sha256Of(const std::string& bytes) {
    char path[] = "/tmp/orvex-sha-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return "";
    close(fd);
    std::ofstream(path, std::ios::binary) << bytes;
    const auto r = RunProcess("/usr/bin/sha256sum", {path});
    unlink(path);
    return r.out.substr(0, 64);
}

class Firmware : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORVEX_TIME_SCALE", "20", 1);
        setenv("ORVEX_FIRMWARE_HOST", "127.0.0.80", 1);
        setenv("ORVEX_PASSWORD", "pw", 1);
        char folder[] = "/tmp/orvex-fw-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        dir = folder;
        for (int n = 1; n <= 3; ++n) {
            camsim::CameraConfig c;
            c.ip = "127.0.0.9" + std::to_string(n);
            c.port = static_cast<std::uint16_t>(8090 + n);
            c.mac = {0x02, 0x4F, 0x52, 0x0F, 0x00, static_cast<std::uint8_t>(n)};
            c.password = "pw";
            c.version = "1.7.15.4";
            fleet.AddCamera(c);
        }
    }
    void Start() {
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
        ASSERT_TRUE(firmware.Start(&error)) << error;
    }
    void TearDown() override {
        for (const char* v : {"ORVEX_TIME_SCALE", "ORVEX_FIRMWARE_HOST", "ORVEX_PASSWORD",
                              "ORVEX_FIRMWARE_MAX_MB"})
            unsetenv(v);
        firmware.Stop();
        fleet.Stop();
        RunProcess("/bin/rm", {"-rf", dir});
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Every camera, by address, with --host (the first `count` of them).
    std::vector<std::string> Hosts(int count = 3) {
        std::vector<std::string> args = {"upgrade"};
        for (int n = 1; n <= count; ++n) {
            args.insert(args.end(), {"--host", "127.0.0.9" + std::to_string(n) + ":" +
                                                   std::to_string(8090 + n)});
        }
        return args;
    }
    orvextest::ProcessResult Upgrade(std::vector<std::string> more, int count = 3) {
        std::vector<std::string> args = Hosts(count);
        args.insert(args.end(), more.begin(), more.end());
        return RunProcess(ToolPath("ORVEXCTL"), args);
    }
    std::size_t Requests(int camera) { return fleet.Web(static_cast<std::size_t>(camera)).Requests().size(); }
    std::size_t Fetches(int camera) {
        std::size_t n = 0;
        for (const std::string& r : fleet.Web(static_cast<std::size_t>(camera)).Requests())
            n += r.find("auto_download_file.cgi") != std::string::npos ? 1 : 0;
        return n;
    }

    orvextest::ScopedTimeScale fast{20};
    camsim::CameraFleet fleet;
    camsim::FirmwareServer firmware{camsim::FirmwareServer::Settings{}};
    std::string dir;
};

TEST_F(Firmware, FilesThatAreNotFirmwareAreRefusedBeforeAnyCameraHearsOfThem) {
    Start();
    const std::string html = "\xEF\xBB\xBF\n  <!DOCTYPE html><html><head><title>Login</title></head>"
                             "<body><form>user <input name=u></form></body></html>\n";
    struct Case {
        std::string path;
        std::string reason;
    };
    const std::string big = dir + "/big.bin";
    {
        std::ofstream(big, std::ios::binary) << "x";
        ASSERT_EQ(truncate(big.c_str(), 65LL * 1024 * 1024), 0);
    }
    const std::vector<Case> cases = {
        {Write("login.bin", html), "this is a text file (looks like HTML), not firmware"},
        {Write("doc.bin", "{\"name\":\"1.7.16.0\",\"download_file\":\"x.bin\"}"),
         "this is a text file (looks like JSON), not firmware"},
        {Write("notes.bin", "Release notes\nFixed the clock.\n\xE4\xBF\xAE\xE5\xA4\x8D\n"),
         "this is a text file (looks like text), not firmware"},
        {Write("empty.bin", ""), "the file is empty"},
        {Write("zeros.bin", std::string(8192, '\0')), "every byte is 0x00: a blank or erased image"},
        {Write("erased.bin", std::string(8192, '\xFF')), "every byte is 0xFF: a blank or erased image"},
        {big, "larger than 64 MB"},
        {dir, "not a regular file"},
        {dir + "/nonexistent.bin", "cannot be read: No such file or directory"},
    };
    for (const Case& c : cases) {
        for (const char* mode : {"--webui", "--system"}) {
            const auto r = Upgrade({mode, c.path});
            EXPECT_EQ(r.status, 2) << c.path << r.err;
            EXPECT_EQ(r.err.rfind("orvexctl: " + c.path + ": " + c.reason, 0), 0u) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
    }
    for (int camera = 0; camera < 3; ++camera) {
        EXPECT_EQ(Requests(camera), 0u) << "camera " << camera << " was contacted";
        EXPECT_EQ(fleet.Web(static_cast<std::size_t>(camera)).BodyBytesReceived(), 0);
    }

    // The text rules guess; --force sends such a file all the same (and only such a file).
    const auto forced = Upgrade({"--webui", cases[0].path, "--force", "--format", "json"}, 1);
    EXPECT_EQ(forced.status, 0) << forced.err << forced.out;
    EXPECT_NE(forced.err.find("sent all the same (--force)"), std::string::npos) << forced.err;
    ASSERT_EQ(fleet.Web(0).Uploads().size(), 1u);
    EXPECT_EQ(fleet.Web(0).Uploads()[0].bytes, html);
    EXPECT_EQ(ParseJson(forced.out)["results"][0]["firmware_sha256"].asString(), Sha256Of(html));
    for (const std::string& path : {cases[3].path, big}) {
        const auto still = Upgrade({"--system", path, "--force"}, 1);
        EXPECT_EQ(still.status, 2) << path;
    }
    EXPECT_EQ(fleet.Web(0).Uploads().size(), 1u);

    // A smaller limit for a site whose cameras take small images only.
    setenv("ORVEX_FIRMWARE_MAX_MB", "1", 1);
    const auto limited = Upgrade({"--system", Write("two.bin", FirmwareImage("1.7.16.0", 2 << 20))}, 1);
    EXPECT_EQ(limited.status, 2);
    EXPECT_NE(limited.err.find("larger than 1 MB"), std::string::npos) << limited.err;
}

TEST_F(Firmware, TheBytesSentAreTheBytesCheckedThoughTheFileChangesMeanwhile) {
    Start();
    camsim::WebFaults faults = fleet.Web(0).Config().faults;
    faults.uploadRate = 2 * 1024 * 1024;  // half a second for the file below
    fleet.Web(0).SetFaults(faults);
    // The clock five times faster: the 45 s after the upload pass quickly, while the 5 s a
    // reply may take stay a real second, which a slow machine's camera still meets.
    setenv("ORVEX_TIME_SCALE", "5", 1);
    const std::string original = FirmwareImage("1.7.16.0", 1024 * 1024);
    const std::string path = Write("system.bin", original);
    const auto r = RunProcess(ToolPath("ORVEXCTL"),
                              {"upgrade", "--host", "127.0.0.91:8091", "--system", path, "--format", "json"},
                              "", [&](int) {
                                  orvextest::WaitUntil([&] { return fleet.Web(0).BodyBytesReceived() > 0; },
                                                       std::chrono::seconds(20));
                                  // Another image put in its place while the upload runs.
                                  std::ofstream(path, std::ios::binary | std::ios::trunc)
                                      << FirmwareImage("9.9.9.9", 300 * 1024);
                              });
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    ASSERT_EQ(fleet.Web(0).Uploads().size(), 1u);
    const std::string received = fleet.Web(0).Uploads()[0].bytes;
    EXPECT_TRUE(received == original) << "the camera got " << received.size() << " bytes";
    const Json::Value row = ParseJson(r.out)["results"][0];
    EXPECT_EQ(row["firmware_sha256"].asString(), Sha256Of(original));
    EXPECT_EQ(row["firmware_bytes"].asUInt64(), original.size());
    EXPECT_EQ(row["firmware_file"].asString(), path);
    EXPECT_EQ(fleet.Web(0).Config().version, "1.7.16.0");
}

TEST_F(Firmware, ASmartUpgradeRunTwiceFlashesNoCameraTheSecondTime) {
    Start();
    const auto first = Upgrade({"--smart", "--yes", "--format", "json"});
    ASSERT_EQ(first.status, 0) << first.err << first.out;
    for (int camera = 0; camera < 3; ++camera) ASSERT_EQ(Fetches(camera), 1u);
    const Json::Value done = ParseJson(first.out);
    EXPECT_EQ(done["completed"].asInt(), 3);
    EXPECT_EQ(done["results"][0]["download_url"].asString(), "http://127.0.0.80/files/1.7.15.9.bin");

    // The cron job runs again: every camera already runs the newest version.
    const auto again = Upgrade({"--smart", "--yes", "--format", "json"});
    EXPECT_EQ(again.status, 0) << again.err << again.out;
    const Json::Value same = ParseJson(again.out);
    EXPECT_EQ(same["unchanged"].asInt(), 3) << again.out;
    EXPECT_EQ(same["completed"].asInt(), 0);
    for (const Json::Value& row : same["results"]) {
        EXPECT_EQ(row["verdict"].asString(), "unchanged") << row["host"].asString();
        EXPECT_EQ(row["version_before"].asString(), "1.7.15.9");
        EXPECT_EQ(row["expected"].asString(), "1.7.15.9");
    }
    for (int camera = 0; camera < 3; ++camera) EXPECT_EQ(Fetches(camera), 1u) << camera;

    // Asked for, a reinstall flashes again; the question it raises is answered by --yes.
    const auto reinstall = Upgrade({"--smart", "--yes", "--reinstall", "--format", "json"}, 1);
    EXPECT_EQ(reinstall.status, 0) << reinstall.err << reinstall.out;
    EXPECT_EQ(ParseJson(reinstall.out)["results"][0]["verdict"].asString(), "verified");
    EXPECT_EQ(Fetches(0), 2u);
    // Without --yes, nobody is there to answer it: cancelled, not flashed.
    const auto unanswered = Upgrade({"--smart", "--reinstall"}, 1);
    EXPECT_EQ(unanswered.status, 1);
    EXPECT_EQ(Fetches(0), 2u);
}

TEST_F(Firmware, AnOlderOfferIsRefusedUnlessAllowedAndVersionsCompareAsNumbers) {
    Start();
    auto settings = firmware.Current();
    settings.latest = "1.7.15.10";  // newer than 1.7.15.4 by number, older by text
    firmware.Change(settings);
    const auto newer = Upgrade({"--smart", "--format", "json"}, 1);
    EXPECT_EQ(newer.status, 0) << newer.out << newer.err;
    EXPECT_EQ(ParseJson(newer.out)["results"][0]["verdict"].asString(), "verified");

    settings.latest = "1.7.15.3";
    firmware.Change(settings);
    const auto older = Upgrade({"--smart"}, 2);
    EXPECT_EQ(older.status, 1) << older.out;
    EXPECT_NE(older.out.find("not started"), std::string::npos) << older.out;
    EXPECT_NE(older.out.find("the server offers 1.7.15.3, older than the camera's 1.7.15.10"),
              std::string::npos)
        << older.out;
    EXPECT_NE(older.out.find("the server offers 1.7.15.3, older than the camera's 1.7.15.4"),
              std::string::npos)
        << older.out;
    EXPECT_EQ(Fetches(0), 1u);
    EXPECT_EQ(Fetches(1), 0u);

    const auto allowed = Upgrade({"--smart", "--allow-older", "--format", "json"}, 2);
    EXPECT_EQ(allowed.status, 0) << allowed.out << allowed.err;
    EXPECT_EQ(fleet.Web(1).Config().version, "1.7.15.3");
}

TEST_F(Firmware, AnExpectedVersionSkipsCamerasAtItAndVerifiesTheOthersByIt) {
    Start();
    const std::string path = Write("webui.bin", FirmwareImage("2.4.10.3"));
    // The Web UI is at 2.4.10.3 already on every camera: nothing to send.
    const auto same = Upgrade({"--webui", path, "--expect-version", "2.4.10.3", "--format", "json"});
    EXPECT_EQ(same.status, 0) << same.out << same.err;
    EXPECT_EQ(ParseJson(same.out)["unchanged"].asInt(), 3) << same.out;
    for (int camera = 0; camera < 3; ++camera) EXPECT_TRUE(fleet.Web(static_cast<std::size_t>(camera)).Uploads().empty());

    // An image that brings another version than the one expected is not verified.
    const std::string other = Write("other.bin", FirmwareImage("2.4.11.0"));
    const auto wrong = Upgrade({"--webui", other, "--expect-version", "2.4.12.0", "--format", "json"}, 1);
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(ParseJson(wrong.out)["results"][0]["verdict"].asString(), "not verified") << wrong.out;
    const auto right = Upgrade({"--webui", other, "--expect-version", "2.4.11.0", "--format", "json"}, 2);
    EXPECT_EQ(right.status, 0) << right.out;
    EXPECT_EQ(ParseJson(right.out)["unchanged"].asInt(), 1) << right.out;  // the first, just done
}

TEST_F(Firmware, ADryRunSaysWhatWouldChangeAndSendsNothing) {
    Start();
    const char* state = getenv("XDG_STATE_HOME");
    ASSERT_NE(state, nullptr);
    const std::string journal = std::string(state) + "/orvex/journal.jsonl";
    const auto size = [&] {
        struct stat st {};
        return stat(journal.c_str(), &st) == 0 ? st.st_size : 0;
    };
    const auto before = size();
    const auto look = Upgrade({"--smart", "--dry-run", "--format", "json"});
    EXPECT_EQ(look.status, 0) << look.out << look.err;
    const Json::Value lookReport = ParseJson(look.out);
    for (const Json::Value& row : lookReport["results"]) {
        EXPECT_EQ(row["verdict"].asString(), "would upgrade");
        EXPECT_EQ(row["version_before"].asString(), "1.7.15.4");
        EXPECT_EQ(row["expected"].asString(), "1.7.15.9");
    }
    for (int camera = 0; camera < 3; ++camera) EXPECT_EQ(Fetches(camera), 0u);
    EXPECT_EQ(size(), before) << "a dry run journals nothing";
    const std::string path = Write("system.bin", FirmwareImage("1.7.16.0"));
    const auto upload = Upgrade({"--system", path, "--dry-run"}, 1);
    EXPECT_EQ(upload.status, 0) << upload.out << upload.err;
    EXPECT_TRUE(fleet.Web(0).Uploads().empty());
}

}  // namespace
