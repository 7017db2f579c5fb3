// bench/window: the Orvex window (offscreen) under many cameras and under a flood.
//
// Idle: orvex-camsim, a separate process, runs N cameras whose replies spread over 100 ms;
// the window lists them. Prints the time from the window's start (its first search) to
// the last camera listed, the window process's CPU per second over 10 idle seconds (a
// search every 2 s, a sweep every 4 s) and its resident memory.
//
// Flood: three real cameras in this process, then 20,000 spoofed replies a second for
// 10 s. Every 200 ms a click on Find is queued to the user-interface thread; the delay
// from the click to its search reaching the cameras measures how late that thread is.
// Prints the delays' median, 99th percentile and maximum, the largest resident memory
// during the flood, and how long after the flood the list holds the three real cameras
// again.
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/OrvexDlg.h"
#include "platform/Clock.h"
#include "platform/NetworkIsolation.h"
#include "tools/camsim/CameraFleet.h"
#include "ui/UiServices.h"

namespace {

using Steady = std::chrono::steady_clock;

// Boxes are answered at once (a send failure must not stop the benchmark).
class QuietDesktop : public orvex::UiServices {
public:
    int MessageBox(const std::wstring&, const std::wstring&, orvex::BoxIcon) override { return orvex::kIdOk; }
    std::wstring SaveFileName(const std::wstring&, const std::wstring&) override { return L""; }
    std::wstring OpenFileName(const std::wstring&) override { return L""; }
    void ShellOpen(const std::string&) override {}
};

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Runs the event loop until the condition holds or `seconds` pass; false on time-out.
bool Spin(const std::function<bool()>& condition, double seconds) {
    const auto end = Steady::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (Steady::now() > end) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Lets the event loop run, idle, for `seconds`.
void Idle(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

void MeasureIdle(int cameras) {
    const pid_t camsim = fork();
    if (camsim == 0) {
        const std::string count = std::to_string(cameras);
        execl(ORVEX_CAMSIM, ORVEX_CAMSIM, "--count", count.c_str(), "--spread", "100", "--no-web",
              "--no-firmware", "--quiet", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500 + cameras / 20));
    double listedMs = -1;
    double cpuPercent = -1;
    long rss = -1;
    {
        auto window = std::make_unique<orvex::COrvexDlg>();
        const auto start = Steady::now();
        window->CreateModeless();
        if (Spin([&] { return window->Table().Count() >= static_cast<std::size_t>(cameras); }, 60)) {
            listedMs = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
            const double cpuBefore = CpuSeconds();
            const auto idleStart = Steady::now();
            Idle(10);
            const double wall = std::chrono::duration<double>(Steady::now() - idleStart).count();
            cpuPercent = 100 * (CpuSeconds() - cpuBefore) / wall;
            rss = ResidentKb();
        }
    }
    kill(camsim, SIGTERM);
    waitpid(camsim, nullptr, 0);
    std::printf("%-8d %-24.0f %-22.2f %ld\n", cameras, listedMs, cpuPercent, rss / 1024);
    std::fflush(stdout);
}

void MeasureFlood(unsigned rate, unsigned seconds) {
    camsim::CameraFleet fleet;
    for (const auto& c : camsim::GenerateCameras(3)) fleet.AddCamera(c);
    std::string error;
    if (!fleet.Start(&error)) {
        std::fprintf(stderr, "camsim: %s\n", error.c_str());
        std::exit(1);
    }
    auto window = std::make_unique<orvex::COrvexDlg>();
    window->CreateModeless();
    if (!Spin([&] { return window->Table().Count() >= 3; }, 10)) {
        std::fprintf(stderr, "the three cameras were not listed\n");
        std::exit(1);
    }
    QAbstractButton* find = window->ItemAs<QAbstractButton>(1020);

    struct Click {
        platform::DWORD queued;
        std::atomic<platform::DWORD> handled{0};
    };
    std::vector<std::unique_ptr<Click>> clicks;
    std::mutex clicksLock;
    fleet.StartFlood(rate, seconds);
    std::thread clicker([&] {
        while (!fleet.FloodSent() && fleet.FloodRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        while (fleet.FloodRunning()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            auto click = std::make_unique<Click>();
            Click* raw = click.get();
            click->queued = platform::Clock::TickCount();
            {
                std::lock_guard<std::mutex> guard(clicksLock);
                clicks.push_back(std::move(click));
            }
            QMetaObject::invokeMethod(find, [find, raw] {
                raw->handled = platform::Clock::TickCount();
                find->click();
            }, Qt::QueuedConnection);
        }
    });
    long peakRss = 0;
    Spin([&] {
        peakRss = std::max(peakRss, ResidentKb());
        return !fleet.FloodRunning();
    }, seconds + 30);
    clicker.join();
    const auto floodEnd = Steady::now();
    const bool recovered = Spin([&] { return window->Table().Count() == 3; }, 30);
    const double recoverySeconds = std::chrono::duration<double>(Steady::now() - floodEnd).count();
    Spin([] { return false; }, 0.5);  // the last clicks' searches arrive

    const std::vector<platform::DWORD> searches = fleet.SearchTimes();
    std::vector<double> delays;
    for (const auto& click : clicks) {
        const platform::DWORD handled = click->handled;
        if (handled == 0) continue;
        for (platform::DWORD search : searches) {
            if (static_cast<std::int32_t>(search - handled) >= 0) {
                delays.push_back(static_cast<double>(static_cast<std::int32_t>(search - click->queued)));
                break;
            }
        }
    }
    std::sort(delays.begin(), delays.end());
    auto percentile = [&](double p) {
        return delays.empty() ? -1.0 : delays[std::min(delays.size() - 1, static_cast<std::size_t>(p * delays.size()))];
    };
    std::printf("flood %u replies/s for %u s (%zu sent): Find to search median %.0f ms, p99 %.0f ms, "
                "max %.0f ms over %zu clicks; peak RSS %ld MB; three real cameras alone again %s %.1f s "
                "after the flood\n",
                rate, seconds, fleet.FloodSent(), percentile(0.5), percentile(0.99),
                delays.empty() ? -1.0 : delays.back(), delays.size(), peakRss / 1024,
                recovered ? "after" : "NOT within", recoverySeconds);
    window.reset();
    fleet.Stop();
}

}  // namespace

int main(int argc, char** argv) {
    if (!platform::FirstRealAdapterUp().empty()) {
        std::fprintf(stderr, "refusing to run next to a real network adapter; use tests/support/run-isolated.sh\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    orvex::UiServices::Install(std::make_shared<QuietDesktop>());
    // window [CAMERAS...]: only these idle cases and no flood (for profiling).
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    std::printf("cameras  last listed (ms)         window CPU idle (%%)  RSS (MB)\n");
    for (int cameras : counts.empty() ? std::vector<int>{1000, 10000} : counts) MeasureIdle(cameras);
    if (counts.empty()) MeasureFlood(20000, 10);
    orvex::UiServices::Install(nullptr);
    return 0;
}
