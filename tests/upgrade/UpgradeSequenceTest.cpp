// Every run of the upgrade sequence against virtual cameras and a firmware server, as
// the statuses a one-second tick observes, on a clock twenty times faster.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <thread>

#include "discovery/CameraTable.h"
#include "discovery/DiscoveryControl.h"
#include "discovery/Lanprobe.h"
#include "discovery/UpdateThread.h"
#include "platform/Clock.h"
#include "platform/QueueWindow.h"
#include "tests/support/RecordingTableView.h"
#include "tests/support/TestClock.h"
#include "tests/support/UpgradeObserver.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/FirmwareServer.h"

namespace orvex {
namespace {

using orvextest::UpgradeObserver;
using Statuses = std::vector<int>;

class UpgradeSequence : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORVEX_FIRMWARE_HOST", "127.0.0.80", 1);
        camsim::CameraConfig c;
        c.ip = "127.0.0.71";
        c.port = 8071;
        c.mac = {0x02, 0x4F, 0x52, 0x71, 0x00, 0x01};
        c.password = "pw";
        c.version = "1.7.15.4";
        c.faults.slowReplyMs = 1500;  // every phase lasts long enough for a tick to see it
        c.faults.restartMs = 3000;
        fleet.AddCamera(c);
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
        ASSERT_TRUE(firmware.Start(&error)) << error;
        path = "/tmp/orvex-seq-" + std::to_string(getpid()) + ".bin";
        std::ofstream(path) << "ORVEXFW 1.7.15.7\nfirmware";
    }
    void TearDown() override {
        unlink(path.c_str());
        firmware.Stop();
        fleet.Stop();
    }
    void ChangeFaults(const std::function<void(camsim::WebFaults&)>& change) {
        camsim::WebFaults f = fleet.Web(0).Config().faults;
        change(f);
        fleet.Web(0).SetFaults(f);
    }
    void ChangeServer(const std::function<void(camsim::FirmwareServer::Settings&)>& change) {
        auto s = firmware.Current();
        change(s);
        firmware.Change(s);
    }
    CameraLogin Login(const char* password = "pw", const char* host = "127.0.0.71", int port = 8071) {
        CameraLogin login;
        std::memset(&login, 0, sizeof(login));
        std::strcpy(login.szHost, host);
        login.nPort = port;
        std::strcpy(login.szUser, "admin");
        std::strcpy(login.szPassword, password);
        std::strcpy(login.szMac, "02:4F:52:71:00:01");
        return login;
    }
    static UpgradeTask Smart(const char* version = "1.7.15.4") {
        UpgradeTask task;
        std::memset(&task, 0, sizeof(task));
        task.bUpgradeSystem = 1;
        task.nCheckMode = 2;
        task.nSystemMode = 2;
        std::strcpy(task.szVersion, version);
        return task;
    }
    UpgradeTask Manual(bool webUi) {
        UpgradeTask task;
        std::memset(&task, 0, sizeof(task));
        task.nCheckMode = 1;
        task.nSystemMode = 1;
        (webUi ? task.bUpgradeWebUi : task.bUpgradeSystem) = 1;
        std::strcpy(webUi ? task.szWebUiFile : task.szSystemFile, path.c_str());
        return task;
    }
    Statuses Run(bool smart, const CameraLogin& login, const UpgradeTask& task, int confirm = 0,
                 int* asked = nullptr) {
        UpgradeObserver run(smart);
        run.confirmAnswer = confirm;
        run.Start(login, task);
        EXPECT_TRUE(run.WaitForEnd(400));
        run.Stop();
        if (asked) *asked = run.confirmAsked;
        return run.Statuses();
    }

    orvextest::ScopedTimeScale fast{20};
    camsim::CameraFleet fleet;
    camsim::FirmwareServer firmware{camsim::FirmwareServer::Settings{}};
    std::string path;
};

TEST_F(UpgradeSequence, SmartSuccess) {
    int asked = 0;
    EXPECT_EQ(Run(true, Login(), Smart(), 1, &asked), (Statuses{-1, 10, 29, 31, 35, 36, 38}));
    EXPECT_EQ(asked, 0);  // versions differ: no question
    EXPECT_EQ(fleet.Web(0).Config().version, "1.7.15.9");
    // The download command always names port 80.
    bool sawCommand = false;
    for (const std::string& target : fleet.Web(0).Requests()) {
        if (target.rfind("/auto_download_file.cgi?", 0) == 0) {
            sawCommand = true;
            EXPECT_EQ(target, "/auto_download_file.cgi?server=127.0.0.80&port=80&file=files/1.7.15.9.bin"
                              "&type=0&user=admin&pwd=pw&loginuse=admin&loginpas=pw");
        }
    }
    EXPECT_TRUE(sawCommand);
}

TEST_F(UpgradeSequence, SmartUnreachableOrWrongCredentials) {
    EXPECT_EQ(Run(true, Login("pw", "127.0.0.79"), Smart()), (Statuses{-1, 7}));
    EXPECT_EQ(Run(true, Login("wrong"), Smart()), (Statuses{-1, 3}));
}

TEST_F(UpgradeSequence, SmartServerFailingOrSendingABadDocument) {
    ChangeServer([](auto& s) { s.fail = true; });
    EXPECT_EQ(Run(true, Login(), Smart()), (Statuses{-1, 10, 29, 30}));
    ChangeServer([](auto& s) { s.fail = false; s.badDocument = true; });
    EXPECT_EQ(Run(true, Login(), Smart()), (Statuses{-1, 10, 29, 30}));
    // No firmware document may carry credentials.
    for (const std::string& header : firmware.Requests()) {
        EXPECT_EQ(header.rfind("GET /firmware/1.7.15.4/cn HTTP/1.1\r\nHost: 127.0.0.80:808\r\n", 0), 0u) << header;
        EXPECT_EQ(header.find("user="), std::string::npos);
    }
}

TEST_F(UpgradeSequence, SmartSameVersionDeclinedOrAccepted) {
    ChangeServer([](auto& s) { s.sameVersion = true; });
    int asked = 0;
    EXPECT_EQ(Run(true, Login(), Smart(), 1, &asked), (Statuses{-1, 10, 29, 31, 28}));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(fleet.Web(0).Uploads().empty());
    EXPECT_EQ(Run(true, Login(), Smart(), 0, &asked), (Statuses{-1, 10, 29, 31, 35, 36, 38}));
    EXPECT_EQ(asked, 1);
}

TEST_F(UpgradeSequence, SmartCameraWithoutSysVerIsNeverAsked) {
    ChangeServer([](auto& s) { s.sameVersion = true; });
    ChangeFaults([](auto& f) { f.omitSysVer = true; });
    int asked = 0;
    EXPECT_EQ(Run(true, Login(), Smart(), 1, &asked), (Statuses{-1, 10, 29, 31, 35, 36, 38}));
    EXPECT_EQ(asked, 0);  // "NotFindKey" differs from every version
}

TEST_F(UpgradeSequence, SmartDownloadCommandRefused) {
    ChangeFaults([](auto& f) { f.refuseDownload = true; });
    EXPECT_EQ(Run(true, Login(), Smart()), (Statuses{-1, 10, 29, 31, 35, 37}));
}

TEST_F(UpgradeSequence, SmartCameraNeverComesBack) {
    ChangeFaults([](auto& f) { f.neverComesBack = true; });
    const auto start = platform::Clock::TickCount();
    EXPECT_EQ(Run(true, Login(), Smart()), (Statuses{-1, 10, 29, 31, 35, 36, 7}));
    const auto took = platform::Clock::TickCount() - start;
    // 7 s of checks, the command, 45 s of waiting and 90 s of status reads.
    EXPECT_GE(took, 7000u + 45000u + 90000u);
    EXPECT_LE(took, 7000u + 45000u + 90000u + 20000u);
}

// A camera back from its restart that refuses the login at once is asked once a second
// until the 90 s are up, never hammered (measured at the camera on the test clock).
TEST_F(UpgradeSequence, ACameraRefusingAfterItsRestartIsAskedOnceASecond) {
    ChangeFaults([](auto& f) { f.slowReplyMs = 0; });
    // The password changes while the camera restarts: once the download command has been
    // taken (changed as soon as the command arrives, the command itself may be refused).
    std::thread lockOut([&] {
        const bool restarting = orvextest::WaitUntil([&] { return !fleet.Web(0).Up(); }, std::chrono::seconds(30));
        if (restarting) fleet.Web(0).SetCredentials("admin", "changed meanwhile");
    });
    const Statuses statuses = Run(true, Login(), Smart());
    lockOut.join();
    ASSERT_FALSE(statuses.empty());
    EXPECT_NE(statuses.back(), 38);  // never "succeeded"
    const auto targets = fleet.Web(0).Requests();
    const auto times = fleet.Web(0).RequestTimes();
    std::vector<long> reads;  // the status reads of the restart
    bool restarting = false;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        restarting = restarting || targets[i].find("auto_download_file.cgi") != std::string::npos;
        if (restarting && targets[i].find("get_status.cgi") != std::string::npos) reads.push_back(static_cast<long>(times[i]));
    }
    ASSERT_GE(reads.size(), 40u);  // fewer when the machine is slow; never many more
    EXPECT_LE(reads.size(), 92u);
    long shortest = 1000000;
    for (std::size_t i = 1; i < reads.size(); ++i) shortest = std::min(shortest, reads[i] - reads[i - 1]);
    EXPECT_GE(shortest, 900) << reads.size() << " reads";
}

// Each wait of the sequence, measured at the camera on the test clock: the arrival of each
// request after the reply to the one before (every reply comes 1.5 s late, the camera's
// slowReplyMs). A wait cut short would ask a restarting camera too early.
TEST_F(UpgradeSequence, EachWaitLastsWhatItShould) {
    const auto gaps = [&](const char* after, const char* next) {
        const auto targets = fleet.Web(0).Requests();
        const auto times = fleet.Web(0).RequestTimes();
        for (std::size_t i = 0; i + 1 < targets.size(); ++i) {
            if (targets[i].find(after) == std::string::npos) continue;
            for (std::size_t k = i + 1; k < targets.size(); ++k) {
                if (targets[k].find(next) != std::string::npos) return static_cast<long>(times[k] - times[i]);
            }
        }
        return -1L;
    };
    // A wait is never shorter than it should be; it is many 50 ms sleeps, each late on a
    // busy machine (a third over seen under sanitizers), so the upper bound only catches a
    // doubled one.
    constexpr long kReply = 1500, kSlack = 1000;
    const auto most = [](long wait) { return 2 * wait; };
    const auto start = platform::Clock::TickCount();
    EXPECT_EQ(Run(true, Login(), Smart()), (Statuses{-1, 10, 29, 31, 35, 36, 38}));
    // The first status read a second after the start.
    const long first = static_cast<long>(fleet.Web(0).RequestTimes().at(0) - start);
    EXPECT_GE(first, 1000);
    EXPECT_LE(first, most(1000) + kSlack);
    // Connected 2 s, current version 2 s, latest version 2 s before the download command.
    const long command = gaps("get_status.cgi", "auto_download_file.cgi");
    EXPECT_GE(command, kReply + 6000);
    EXPECT_LE(command, kReply + most(6000));
    // 45 s after the command before the first status read of the restart.
    const long restart = gaps("auto_download_file.cgi", "get_status.cgi");
    EXPECT_GE(restart, kReply + 45000);
    EXPECT_LE(restart, kReply + most(45000));

    const std::size_t before = fleet.Web(0).Requests().size();
    EXPECT_EQ(Run(false, Login(), Manual(true)), (Statuses{-1, 32, 33, 38}));
    ASSERT_GT(fleet.Web(0).Requests().size(), before);
    // 50 s after Web UI firmware.
    const long webUi = gaps("upgrade_htmls.cgi", "get_status.cgi");
    EXPECT_GE(webUi, kReply + 50000);
    EXPECT_LE(webUi, kReply + most(50000));
}

TEST_F(UpgradeSequence, ManualWebUiAndSystemSucceedOrAreRefused) {
    EXPECT_EQ(Run(false, Login(), Manual(true)), (Statuses{-1, 32, 33, 38}));
    EXPECT_EQ(fleet.Web(0).Uploads().back().cgi, "upgrade_htmls.cgi");
    EXPECT_EQ(Run(false, Login(), Manual(false)), (Statuses{-1, 35, 36, 38}));
    EXPECT_EQ(fleet.Web(0).Uploads().back().cgi, "upgrade_firmware.cgi");
    EXPECT_EQ(fleet.Web(0).Config().version, "1.7.15.7");
    ChangeFaults([](auto& f) { f.refuseUpload = true; });
    const std::size_t requests = fleet.Web(0).Requests().size();
    EXPECT_EQ(Run(false, Login(), Manual(true)), (Statuses{-1, 32, 34}));
    EXPECT_EQ(Run(false, Login(), Manual(false)), (Statuses{-1, 35, 37}));
    // A refused upload never runs the restart wait: one status read and one upload each.
    EXPECT_EQ(fleet.Web(0).Requests().size(), requests + 4);
}

// A camera with a dynamic address comes back from its restart elsewhere; the tick finds
// it in the camera list by MAC and the engine's status reads follow it.
class FollowedUpgrade : public UpgradeSequence {
protected:
    void RunDiscovery() {
        ASSERT_EQ(DiscoveryControl::Start(probe, scheduler, L"127.0.0.1", window->Handle()),
                  DiscoveryControl::kStarted);
        pump = std::thread([this] {
            while (!stopPump) {
                if (auto msg = window->Queue().Wait(20)) DiscoveryControl::Handle(*msg, table);
            }
        });
    }
    void TearDown() override {
        DiscoveryControl::Stop(probe, scheduler);
        stopPump = true;
        pump.join();
        window->Close();
        for (const auto& msg : window->Queue().TakeAll()) DiscoveryControl::Handle(msg, table);
        UpgradeSequence::TearDown();
    }

    std::shared_ptr<platform::QueueWindow> window = platform::QueueWindow::Create();
    orvextest::RecordingTableView view;
    CameraTable table{&view};
    CLanprobe probe;
    CUpdateThread scheduler;
    std::thread pump;
    std::atomic<bool> stopPump{false};
};

TEST_F(FollowedUpgrade, CameraBackWithAnotherAddressOrPort) {
    ChangeFaults([](auto& f) {
        f.newIp = "127.0.0.72";
        f.newPort = 8072;
    });
    RunDiscovery();
    CameraLogin login = Login();
    login.nNetMode = 1;
    UpgradeObserver run(false);
    run.Start(login, Manual(false), &table);
    ASSERT_TRUE(run.WaitForEnd(400));
    run.Stop();
    EXPECT_EQ(run.Statuses(), (Statuses{-1, 35, 36, 38}));
    const CameraLogin followed = run.engine.Login();
    EXPECT_STREQ(followed.szHost, "127.0.0.72");
    EXPECT_EQ(followed.nPort, 8072);
}

TEST_F(FollowedUpgrade, FixedAddressCameraIsNotFollowed) {
    ChangeFaults([](auto& f) { f.newIp = "127.0.0.73"; });
    RunDiscovery();
    UpgradeObserver run(false);
    run.Start(Login(), Manual(false), &table);  // nNetMode 0
    ASSERT_TRUE(run.WaitForEnd(400));
    run.Stop();
    EXPECT_EQ(run.Statuses(), (Statuses{-1, 35, 36, 7}));
    EXPECT_STREQ(run.engine.Login().szHost, "127.0.0.71");
}

}  // namespace
}  // namespace orvex
