// The engine's URLs, its set-UID task, its stop, and the login the tick rewrites.
#include "upgrade/UpgradeHandle.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "platform/ManualResetEvent.h"
#include "tests/support/TestClock.h"
#include "tests/support/UpgradeObserver.h"
#include "tools/camsim/CameraFleet.h"

namespace orvex {
namespace {

using Steady = std::chrono::steady_clock;

CameraLogin MakeLogin(const char* host, int port, const char* user, const char* password) {
    CameraLogin login;
    std::memset(&login, 0, sizeof(login));
    std::strcpy(login.szHost, host);
    login.nPort = port;
    std::strcpy(login.szUser, user);
    std::strcpy(login.szPassword, password);
    return login;
}

TEST(UpgradeUrls, AsTheCameraAndTheServerGetThem) {
    setenv("ORVEX_FIRMWARE_HOST", "fw.example", 1);
    const CameraLogin at80 = MakeLogin("192.168.1.20", 80, "admin", "P");
    const CameraLogin at81 = MakeLogin("192.168.1.20", 81, "admin", "P");
    const CameraLogin at8080 = MakeLogin("192.168.1.20", 8080, "admin", "a&b c");
    EXPECT_EQ(CUpgradeHandle::BuildUrl(at81, 2, "get_status.cgi", false),
              "http://192.168.1.20:81/get_status.cgi?user=admin&pwd=P&loginuse=admin&loginpas=P");
    EXPECT_EQ(CUpgradeHandle::BuildUrl(at80, 2, "get_status.cgi", false),
              "http://192.168.1.20/get_status.cgi?user=admin&pwd=P&loginuse=admin&loginpas=P");
    EXPECT_EQ(CUpgradeHandle::BuildUrl(at8080, 1, "set_factory_param.cgi?deviceid=X", true),
              "http://192.168.1.20:8080/set_factory_param.cgi?deviceid=X&user=admin&pwd=a%26b%20c"
              "&loginuse=admin&loginpas=a%26b%20c");
    // Only what would change the request is escaped: an ordinary password goes as it is.
    const CameraLogin plain = MakeLogin("10.0.0.2", 80, "op_1", "Pa$$w0rd!@*()-_.~,;:/[]{}|'\"<>");
    EXPECT_EQ(CUpgradeHandle::BuildUrl(plain, 2, "get_status.cgi", false),
              "http://10.0.0.2/get_status.cgi?user=op_1&pwd=Pa$$w0rd!@*()-_.~,;:/[]{}|'\"<>"
              "&loginuse=op_1&loginpas=Pa$$w0rd!@*()-_.~,;:/[]{}|'\"<>");
    const CameraLogin odd = MakeLogin("10.0.0.2", 80, "a b", "#%+=?\t\x7F\xC3\xA4&");
    EXPECT_EQ(CUpgradeHandle::BuildUrl(odd, 2, "get_status.cgi", false),
              "http://10.0.0.2/get_status.cgi?user=a%20b&pwd=%23%25%2B%3D%3F%09%7F%C3%A4%26"
              "&loginuse=a%20b&loginpas=%23%25%2B%3D%3F%09%7F%C3%A4%26");
    EXPECT_EQ(CUpgradeHandle::BuildUrl(at8080, 8, "firmware/1.7.15.4/cn", false),
              "http://fw.example:808/firmware/1.7.15.4/cn");
    unsetenv("ORVEX_FIRMWARE_HOST");
    EXPECT_EQ(CUpgradeHandle::BuildUrl(at80, 8, "firmware/1/cn", false),
              "http://firmware.orvex.net:808/firmware/1/cn");
}

class EngineWithCamera : public ::testing::Test {
protected:
    void SetUp() override {
        camsim::CameraConfig c;
        c.ip = "127.0.0.81";
        c.port = 80;
        c.password = "a&b";
        fleet.AddCamera(c);
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
    }
    camsim::CameraFleet fleet;
};

struct UidResult {
    std::atomic<int> code{-1};
    platform::ManualResetEvent done;
    static int Callback(int code, void* user) {
        auto* self = static_cast<UidResult*>(user);
        self->code = code;
        self->done.Set();
        return 0;
    }
};

int SetUid(CUpgradeHandle& engine, const CameraLogin& login) {
    UidResult result;
    UpgradeTask task{};
    engine.AbortUpgrade();
    engine.StopUpgrade();
    engine.Prepare(2, login, task);
    engine.m_pfnTaskResult = &UidResult::Callback;
    engine.m_pResultUser = &result;
    EXPECT_TRUE(engine.InitUpgradeThread());
    EXPECT_TRUE(result.done.Wait(20000));
    engine.StopUpgrade();
    EXPECT_EQ(engine.Status(), -1);  // the UID task leaves the status alone
    return result.code;
}

TEST_F(EngineWithCamera, SetUidSendsOneQuestionMarkAndMapsTheResult) {
    CUpgradeHandle engine;
    CameraLogin login = MakeLogin("127.0.0.81", 80, "admin", "a&b #%");
    std::strcpy(login.szDeviceId, "ORVX123456ABCDE,ABCDEF");
    // "& #%" in the password reach the camera intact, escaped in the query.
    fleet.Web(0).SetCredentials("admin", "a&b #%");
    EXPECT_EQ(SetUid(engine, login), 0);
    const std::string target = fleet.Web(0).Requests().back();
    EXPECT_EQ(target, "/set_factory_param.cgi?deviceid=ORVX123456ABCDE,ABCDEF&user=admin&pwd=a%26b%20%23%25"
                      "&loginuse=admin&loginpas=a%26b%20%23%25");
    EXPECT_EQ(std::count(target.begin(), target.end(), '?'), 1);
    std::strcpy(login.szPassword, "a&b");
    EXPECT_EQ(SetUid(engine, login), 3);

    fleet.Web(0).SetCredentials("admin", "simple");
    std::strcpy(login.szPassword, "simple");
    EXPECT_EQ(SetUid(engine, login), 0);
    EXPECT_EQ(fleet.Web(0).Config().uid, "ORVX123456ABCDE,ABCDEF");
    EXPECT_EQ(SetUid(engine, MakeLogin("127.0.0.89", 80, "admin", "simple")), 1);  // no camera: 7 -> 1
}

TEST_F(EngineWithCamera, CallbacksRunOnlyWithBothFunctionAndUser) {
    CUpgradeHandle engine;
    UidResult result;
    engine.Prepare(2, MakeLogin("127.0.0.81", 80, "admin", "a"), UpgradeTask{});
    engine.m_pfnTaskResult = &UidResult::Callback;  // no user pointer
    ASSERT_TRUE(engine.InitUpgradeThread());
    engine.ReleaseUpgradeThread();
    EXPECT_EQ(result.code, -1);
}

// How long StopUpgrade takes once the run is in the given status (real milliseconds).
long StopDuringStatus(orvextest::UpgradeObserver& run, int status, int seconds = 20) {
    EXPECT_TRUE(orvextest::WaitUntil([&] { return run.engine.Status() == status; },
                                     std::chrono::seconds(seconds)));
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    const auto start = Steady::now();
    run.engine.StopUpgrade();
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count());
}

TEST_F(EngineWithCamera, StopEndsEveryWaitAndABlockedRequestAtOnce) {
    const std::string path = "/tmp/orvex-stop-" + std::to_string(getpid());
    std::ofstream(path) << "ORVEXFW 2.0.0.0\n";
    const CameraLogin login = MakeLogin("127.0.0.81", 80, "admin", "a&b");
    fleet.Web(0).SetCredentials("admin", "x");
    camsim::WebFaults quickRestart;
    quickRestart.restartMs = 100;
    fleet.Web(0).SetFaults(quickRestart);
    const CameraLogin good = MakeLogin("127.0.0.81", 80, "admin", "x");
    UpgradeTask system{};
    system.bUpgradeSystem = 1;
    system.nCheckMode = 1;
    system.nSystemMode = 1;
    std::strcpy(system.szSystemFile, path.c_str());
    UpgradeTask webUi = system;
    webUi.bUpgradeSystem = 0;
    webUi.bUpgradeWebUi = 1;
    std::strcpy(webUi.szWebUiFile, path.c_str());
    {
        orvextest::UpgradeObserver run(false);  // the first one-second wait
        run.Start(login, system);
        EXPECT_LT(StopDuringStatus(run, -1), 100);
    }
    {
        orvextest::UpgradeObserver run(false);  // the 45-second wait
        run.Start(good, system);
        EXPECT_LT(StopDuringStatus(run, 36), 100);
        EXPECT_EQ(run.engine.Status(), -1);  // the restart wait saw the stop: -1
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(orvextest::WaitUntil([&] { return fleet.Web(0).Up(); }));  // back from its restart
    {
        orvextest::UpgradeObserver run(false);  // the 50-second wait
        run.Start(good, webUi);
        EXPECT_LT(StopDuringStatus(run, 33), 100);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(orvextest::WaitUntil([&] { return fleet.Web(0).Up(); }));
    {
        camsim::WebFaults never;
        never.neverReply = true;  // a status read that blocks in the transport
        fleet.Web(0).SetFaults(never);
        orvextest::UpgradeObserver run(false);
        run.Start(good, system);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        EXPECT_LT(StopDuringStatus(run, -1), 100);
        fleet.Web(0).SetFaults(camsim::WebFaults{});
    }
    {
        orvextest::ScopedTimeScale fast(20);  // the two-second waits and the restart wait
        orvextest::UpgradeObserver smart(true);
        setenv("ORVEX_FIRMWARE_HOST", "127.0.0.89", 1);
        UpgradeTask task{};
        task.bUpgradeSystem = 1;
        task.nCheckMode = 2;
        task.nSystemMode = 2;
        smart.Start(good, task);
        EXPECT_LT(StopDuringStatus(smart, 29), 100);
        camsim::WebFaults gone;
        gone.neverComesBack = true;
        gone.restartMs = 10;
        fleet.Web(0).SetFaults(gone);
        orvextest::UpgradeObserver restart(false);
        restart.Start(good, system);
        ASSERT_TRUE(orvextest::WaitUntil([&] { return restart.engine.Status() == 36; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(2600));  // past the 45 s wait
        const auto start = Steady::now();
        restart.engine.StopUpgrade();
        EXPECT_LT(Steady::now() - start, std::chrono::milliseconds(100));
    }
    unlink(path.c_str());
}

TEST_F(EngineWithCamera, LoginRewrittenByTheTickIsNeverSeenHalfWritten) {
    orvextest::ScopedTimeScale fast(20);
    camsim::CameraConfig second = fleet.Camera(0);
    second.ip = "127.0.0.82";
    second.port = 8082;
    camsim::CameraWeb other(second, nullptr);
    std::string error;
    ASSERT_TRUE(other.Start(&error)) << error;
    fleet.Web(0).SetCredentials("admin", "x");
    other.SetCredentials("admin", "x");
    camsim::WebFaults gone;
    gone.neverComesBack = true;
    gone.restartMs = 10;
    fleet.Web(0).SetFaults(gone);

    const std::string path = "/tmp/orvex-race-" + std::to_string(getpid());
    std::ofstream(path) << "ORVEXFW 2.0.0.0\n";
    UpgradeTask task{};
    task.bUpgradeSystem = 1;
    task.nCheckMode = 1;
    task.nSystemMode = 1;
    std::strcpy(task.szSystemFile, path.c_str());
    CUpgradeHandle engine;
    engine.Prepare(1, MakeLogin("127.0.0.81", 80, "admin", "x"), task);
    ASSERT_TRUE(engine.InitUpgradeThread());
    // While the worker reads the login for its status reads, another thread keeps
    // replacing it with a camera at another address and port.
    const CameraLogin a = MakeLogin("127.0.0.254", 81, "admin", "x");
    const CameraLogin b = MakeLogin("127.0.0.82", 8082, "admin", "x");
    ASSERT_TRUE(orvextest::WaitUntil([&] { return engine.Status() == 36; }));
    for (int i = 0; i < 20000 && engine.Status() == 36; ++i) engine.SetLogin(i % 2 ? a : b);
    engine.SetLogin(b);
    ASSERT_TRUE(orvextest::WaitUntil([&] { return engine.Status() != 36; }, std::chrono::seconds(20)));
    engine.ReleaseUpgradeThread();
    EXPECT_EQ(engine.Status(), 38);  // found again at the address it was given
    for (const std::string& target : other.Requests()) {
        EXPECT_EQ(target, "/get_status.cgi?user=admin&pwd=x&loginuse=admin&loginpas=x");
    }
    other.Stop();
    unlink(path.c_str());
}

}  // namespace
}  // namespace orvex
