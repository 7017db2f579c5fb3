// orvexctl under what real use throws at it: Ctrl-C in the middle of a batch, a reader
// that goes away, a full disk, the same camera named twice, a process limit that refuses
// threads, and Ctrl-C at the password prompt. Real processes, real signals.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <json/json.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/support/FirmwareImage.h"
#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/RealServers.h"
#include "tests/support/TestClock.h"
#include "tools/camsim/CameraFleet.h"

namespace {

using orvextest::ParseJson;
using orvextest::ReadFile;
using orvextest::RunProcess;
using orvextest::ToolPath;
using Steady = std::chrono::steady_clock;

// Five cameras and a firmware file, on a clock twenty times faster.
class Robust : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORVEX_TIME_SCALE", "20", 1);
        setenv("ORVEX_PASSWORD", "pw", 1);
        for (int i = 0; i < 5; ++i) {
            camsim::CameraConfig c;
            c.ip = "127.0.2." + std::to_string(i + 1);
            c.port = static_cast<std::uint16_t>(18100 + i);
            c.mac = {0x02, 0x4F, 0x52, 0x0B, 0x00, static_cast<std::uint8_t>(i + 1)};
            c.password = "pw";
            fleet.AddCamera(c);
        }
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
        dir = "/tmp/orvex-robust-" + std::to_string(getpid());
        ASSERT_EQ(system(("mkdir -p " + dir).c_str()), 0);
        firmware = dir + "/system.bin";
        std::ofstream(firmware, std::ios::binary) << orvextest::FirmwareImage("1.7.16.3", 512 * 1024);
    }
    void TearDown() override {
        unsetenv("ORVEX_TIME_SCALE");
        unsetenv("ORVEX_PASSWORD");
        fleet.Stop();
        if (system(("rm -rf " + dir).c_str()) != 0) ADD_FAILURE() << "cannot remove " << dir;
    }
    std::vector<std::string> Hosts(int count) {
        std::vector<std::string> args;
        for (int i = 0; i < count; ++i) {
            args.insert(args.end(), {"--host", "127.0.2." + std::to_string(i + 1) + ":" + std::to_string(18100 + i)});
        }
        return args;
    }
    std::vector<std::string> Upgrade(int count, std::vector<std::string> more) {
        std::vector<std::string> args = {"upgrade", "--system", firmware, "--parallel", "1"};
        const auto hosts = Hosts(count);
        args.insert(args.end(), hosts.begin(), hosts.end());
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    // Runs `command` through the shell (for pipes and redirections).
    orvextest::ProcessResult Shell(const std::string& command) {
        return RunProcess("/bin/sh", {"-c", command});
    }
    std::string Quoted(const std::vector<std::string>& args) {
        std::string text = "'" + ToolPath("ORVEXCTL") + "'";
        for (const std::string& a : args) text += " '" + a + "'";
        return text;
    }

    orvextest::ScopedTimeScale fast{20};
    camsim::CameraFleet fleet;
    std::string dir, firmware;
};

TEST_F(Robust, CtrlCDuringTheThirdUploadStillWritesTheWholeReport) {
    // The third camera takes uploads at 1 MB/s: two seconds for this file, so Ctrl-C comes
    // while it is being sent; the clock is slow enough for the replies to the others.
    camsim::WebFaults slow = fleet.Web(2).Config().faults;
    slow.uploadRate = 1024 * 1024;
    fleet.Web(2).SetFaults(slow);
    std::ofstream(firmware, std::ios::binary | std::ios::trunc)
        << orvextest::FirmwareImage("1.7.16.3", 2 * 1024 * 1024);
    setenv("ORVEX_TIME_SCALE", "10", 1);
    const std::string report = dir + "/report.json";
    Steady::time_point signalled;
    const auto r = RunProcess(ToolPath("ORVEXCTL"), Upgrade(5, {"--format", "json", "--output", report}), "",
                              [&](int pid) {
                                  for (int i = 0; i < 3000 && fleet.Web(2).BodyBytesReceived() == 0; ++i) {
                                      std::this_thread::sleep_for(std::chrono::milliseconds(10));
                                  }
                                  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // mid-file
                                  signalled = Steady::now();
                                  kill(pid, SIGINT);
                              });
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_LT(Steady::now() - signalled, std::chrono::seconds(3));  // the upload was cut, not finished
    const Json::Value document = ParseJson(ReadFile(report));
    ASSERT_EQ(document["results"].size(), 5u);
    const char* verdicts[] = {"verified", "verified", "interrupted", "not started", "not started"};
    for (Json::ArrayIndex i = 0; i < 5; ++i) {
        EXPECT_EQ(document["results"][i]["verdict"].asString(), verdicts[i]) << i;
    }
    EXPECT_EQ(document["results"][2]["status"].asInt(), 35);  // cut while uploading
    // The camera that was cut took nothing, and the later ones were never asked.
    EXPECT_GT(fleet.Web(2).BodyBytesReceived(), 0);
    EXPECT_TRUE(fleet.Web(2).Uploads().empty());
    EXPECT_EQ(fleet.Web(2).Config().version, "1.7.15.4");
    EXPECT_EQ(fleet.Web(3).BodyBytesReceived(), 0);
    EXPECT_EQ(fleet.Web(1).Config().version, "1.7.16.3");
}

TEST_F(Robust, AClosedPipeDoesNotStopTheBatchAndAFullDiskIsAnError) {
    const std::string report = dir + "/report.csv";
    const auto piped = Shell(Quoted(Upgrade(3, {"--format", "csv", "--output", report})) + " | head -n 1");
    EXPECT_EQ(piped.status, 0) << piped.err;
    const std::string csv = ReadFile(report);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4) << csv;  // the header and three rows
    EXPECT_EQ(std::count(csv.begin(), csv.end(), ','), 4 * 16) << csv;  // seventeen columns
    for (int i = 0; i < 3; ++i) EXPECT_EQ(fleet.Web(i).Uploads().size(), 1u) << i;
    EXPECT_EQ(csv.find("failed"), std::string::npos) << csv;

    for (const std::string& command :
         {Quoted({"adapters"}), Quoted({"scan", "--bind", "127.0.0.1", "--seconds", "1", "--format", "json"}),
          Quoted({"upgrade", "--host", "127.0.2.5:18104", "--system", firmware, "--format", "json"})}) {
        const auto full = Shell(command + " > /dev/full; echo \"status $?\" >&2");
        EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << command << full.err;
        EXPECT_EQ(full.err.find("status 0"), std::string::npos) << command << full.err;
    }
}

// A report that cannot be written where --output names (a folder, a read-only file
// system, a full disk) is said on standard error and makes the exit status 1.
TEST_F(Robust, AReportThatCannotBeWrittenToItsFileEndsWithStatusOne) {
    const std::string script =
        "cd " + dir + " && mkdir -p full ro folder || exit 98\n"
        "mount -t tmpfs -o size=4k tmpfs full || exit 99\n"
        "mount -t tmpfs -o ro tmpfs ro || exit 99\n"
        "head -c 8192 /dev/zero >full/filler 2>/dev/null\n"
        "for target in folder ro/report.json full/report.json; do\n"
        "  \"$@\" --output \"$target\" >/dev/null 2>err; echo \"$target $? $(cat err)\"\n"
        "done\n";
    orvextest::WriteFile(dir + "/outputs.sh", script);
    std::vector<std::string> args;
    if (geteuid() != 0) args.push_back("--map-root-user");
    args.insert(args.end(), {"--mount", "sh", dir + "/outputs.sh", ToolPath("ORVEXCTL"), "scan", "--bind",
                             "127.0.0.1", "--seconds", "1", "--format", "json"});
    const auto shell = RunProcess("/usr/bin/unshare", args);
    if (shell.status == 99) GTEST_SKIP() << "no tmpfs can be mounted here: " << shell.err;
    ASSERT_EQ(shell.status, 0) << shell.err;
    for (const std::string target : {"folder", "ro/report.json", "full/report.json"}) {
        const auto at = shell.out.find(target + " ");
        ASSERT_NE(at, std::string::npos) << shell.out;
        const std::string line = shell.out.substr(at, shell.out.find('\n', at) - at);
        EXPECT_EQ(line.substr(target.size() + 1, 2), "1 ") << line;
        EXPECT_NE(line.find("orvexctl: cannot "), std::string::npos) << line;
    }
}

TEST_F(Robust, TheSameCameraNamedTwiceIsUpgradedOnce) {
    const std::string hosts = dir + "/hosts.txt";
    std::ofstream(hosts) << "127.0.2.1:18100\n# again, with the port from --port\n127.0.2.1\n127.0.2.2:18101\n";
    const auto r = RunProcess(ToolPath("ORVEXCTL"), {"upgrade", "--system", firmware, "--hosts", hosts, "--port",
                                                     "18100", "--host", "127.0.2.2:18101", "--format", "json",
                                                     "--parallel", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("127.0.2.1:18100 is named more than once"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("127.0.2.2:18101 is named more than once"), std::string::npos) << r.err;
    EXPECT_EQ(ParseJson(r.out)["results"].size(), 2u);
    EXPECT_EQ(fleet.Web(0).Uploads().size(), 1u);
    EXPECT_EQ(fleet.Web(1).Uploads().size(), 1u);
}

TEST_F(Robust, AProcessLimitEndsRunsAsFailedWithTheirReasonNeverAHang) {
    // A user of its own with a task limit the batch cannot live within (root is never limited),
    // and a folder of its own for the site lock.
    char runtime[] = "/tmp/orvex-nobody-XXXXXX";
    ASSERT_NE(mkdtemp(runtime), nullptr);
    if (getuid() == 0) {
        ASSERT_EQ(chown(runtime, 65534, 65534), 0);
    }
    const auto limited = [&runtime] {
        setenv("XDG_RUNTIME_DIR", runtime, 1);
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
        const rlimit few{3, 3};
        setrlimit(RLIMIT_NPROC, &few);
    };
    bool hung = false;
    const auto r = RunProcess(
        ToolPath("ORVEXCTL"), Upgrade(5, {"--parallel", "4", "--format", "json"}), "",
        [&](int pid) {
            for (int i = 0; i < 600 && kill(pid, 0) == 0 && waitpid(pid, nullptr, WNOHANG) == 0; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            if (kill(pid, 0) == 0) {
                hung = true;
                kill(pid, SIGKILL);
            }
        },
        limited);
    ASSERT_NE(r.status, 126) << "cannot take the user nobody";
    EXPECT_FALSE(hung);
    EXPECT_EQ(r.status, 1) << r.err;  // not an abort (that would be no exit status at all)
    const Json::Value document = ParseJson(r.out);
    ASSERT_EQ(document["results"].size(), 5u) << r.out;
    int refused = 0;
    for (const Json::Value& result : document["results"]) {
        if (result["reason"].asString().find("refused a thread") != std::string::npos) {
            EXPECT_EQ(result["verdict"].asString(), "failed");
            ++refused;
        }
    }
    EXPECT_GT(refused, 0) << r.out;
    std::system(("rm -rf " + std::string(runtime)).c_str());
}

TEST(OrvexctlPrompt, CtrlCAtThePasswordPromptLeavesEchoOn) {
    unsetenv("ORVEX_PASSWORD");
    const std::string ctl = ToolPath("ORVEXCTL");
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(ctl.c_str(), ctl.c_str(), "set-uid", "--host", "127.0.9.9", "ORVXABCDEFGHIJK,ABCDEF", nullptr);
        _exit(127);
    }
    const std::string slave = ptsname(terminal);
    std::string seen;
    char buffer[256];
    while (seen.find("Password for") == std::string::npos) {
        pollfd fd{terminal, POLLIN, 0};
        ASSERT_GT(poll(&fd, 1, 10000), 0) << seen;
        const ssize_t n = read(terminal, buffer, sizeof(buffer));
        ASSERT_GT(n, 0);
        seen.append(buffer, static_cast<std::size_t>(n));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // echo is off now
    const int tty = open(slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(tty, 0);
    termios during{};
    tcgetattr(tty, &during);
    EXPECT_EQ(during.c_lflag & ECHO, 0u);
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    termios after{};
    tcgetattr(tty, &after);
    EXPECT_NE(after.c_lflag & ECHO, 0u);
    close(tty);
    close(terminal);
}

}  // namespace
