// bench/set: readdressing a site over the discovery protocol. 200 virtual cameras (their
// own orvex-camsim process) each get a new address with 16 set requests outstanding at
// once, every camera verified by a later search, against one camera alone; the clock runs
// at its real speed. Reports the wall time of the set (the first search excluded) and the
// CPU time this process spent on it. Then the sizes a large site brings: a plan of
// 100,000 rows read and planned (and one refused for its last row), and orvexctl journal
// over 100,000 entries (wall time and peak memory of the process).
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include <fstream>

#include "fleet/AdapterScan.h"
#include "fleet/BatchSet.h"
#include "fleet/SetPlanFile.h"
#include "fleet/SetPlanner.h"
#include "platform/NetworkIsolation.h"
#include "platform/TextUtil.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Figures {
    double wall = 0;
    double cpu = 0;
    int verified = 0;
};

Figures Readdress(int cameras, int parallel) {
    const pid_t camsim = fork();
    if (camsim == 0) {
        const std::string count = std::to_string(cameras);
        execl(ORVEX_CAMSIM, ORVEX_CAMSIM, "--count", count.c_str(), "--no-web", "--no-firmware",
              "--quiet", static_cast<char*>(nullptr));
        _exit(127);
    }
    orvex::AdapterScan scan({{"127.0.0.1", "255.0.0.0", "lo"}});
    scan.Start();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (scan.Cameras().size() < static_cast<std::size_t>(cameras) &&
           std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::vector<orvex::SetRequestRow> rows;
    for (const orvex::ScannedCamera& c : scan.Cameras())
        rows.push_back({orvex::MacText(c.record), {}, "bench"});
    orvex::SetPlanner planner(scan.Cameras(), scan.Sources());
    std::vector<orvex::SetJob> jobs;
    std::vector<std::string> notes;
    std::string error;
    Figures figures;
    if (!planner.Plan(rows, "127.5.0.1", &jobs, &notes, &error)) {
        std::fprintf(stderr, "plan: %s\n", error.c_str());
    } else {
        orvex::SetOptions options;
        options.user = "admin";
        const double cpu = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const auto outcomes = orvex::BatchSet::Run(jobs, options, parallel, scan, {});
        figures.wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        figures.cpu = CpuSeconds() - cpu;
        for (const auto& o : outcomes) figures.verified += o.verification == "verified" ? 1 : 0;
    }
    scan.Stop();
    kill(camsim, SIGTERM);
    waitpid(camsim, nullptr, 0);
    return figures;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The n-th host address of 10.0.0.0/8, 200 hosts to a /24 (never .0 or .255).
std::string Dotted(int n) {
    const int block = n / 200;
    return "10." + std::to_string(block >> 8 & 255) + "." + std::to_string(block & 255) + "." +
           std::to_string(n % 200 + 1);
}

// A scan of `count` cameras at 10.x.y.z/8 and the CSV plan that moves each to another
// address (the last row doubled onto the first's new one when `refused`): read, planned.
double PlanSite(int count, bool refused, std::string* outcome) {
    std::vector<orvex::ScannedCamera> scanned(static_cast<std::size_t>(count));
    std::string csv = "mac,ip,name\n";
    for (int i = 0; i < count; ++i) {
        orvex::DeviceRecord& r = scanned[static_cast<std::size_t>(i)].record;
        const std::uint8_t mac[6] = {0x02, 0x4F, 0x52, static_cast<std::uint8_t>(i >> 16),
                                     static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)};
        std::copy(mac, mac + 6, r.abyMac);
        platform::PutFieldString(r.szIp, Dotted(i));
        platform::PutFieldString(r.szSubMask, "255.0.0.0");
        platform::PutFieldString(r.szGateway, "10.255.255.254");
        r.wPort = 80;
        const int to = refused && i == count - 1 ? 200000 : i + 200000;
        csv += orvex::MacText(r) + "," + Dotted(to) + ",cam " + std::to_string(i) + "\n";
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<orvex::SetRequestRow> rows;
    std::string error;
    if (!orvex::SetPlanFile::Parse(csv, "plan.csv", &rows, &error)) {
        *outcome = error;
        return Since(start);
    }
    const double read = Since(start);
    orvex::SetPlanner planner(scanned, {{"10.255.255.1", "255.0.0.0", "lan"}});
    std::vector<orvex::SetJob> jobs;
    std::vector<std::string> notes;
    const bool planned = planner.Plan(rows, "", &jobs, &notes, &error);
    const double took = Since(start);
    char split[64];
    std::snprintf(split, sizeof(split), "read %.2f s, planned %.2f s: ", read, took - read);
    *outcome = split + (planned ? std::to_string(jobs.size()) + " jobs" : "refused: " + error.substr(0, 60));
    return took;
}

// orvexctl journal over a journal of `count` changes (each written as a sent and a result
// entry when `paired`): wall seconds and the peak resident set in MB.
std::pair<double, double> ListJournal(int count, bool paired) {
    char folder[] = "/tmp/orvex-bench-XXXXXX";
    if (!mkdtemp(folder)) return {0, 0};
    const std::string dir = folder;
    mkdir((dir + "/orvex").c_str(), 0700);
    {
        std::ofstream out(dir + "/orvex/journal.jsonl");
        for (int i = 0; i < count; ++i) {
            const std::string id = std::to_string(i);
            const std::string head = "{\"time\":\"2026-12-10T10:00:00Z\",\"program\":\"orvexctl\","
                                     "\"action\":\"set\",\"mac\":\"02:4F:52:00:00:01\",";
            const std::string change = "\"ip\":\"10.0.0.9\",\"adapter\":\"10.0.0.1\",\"changes\":"
                                       "{\"ip\":{\"old\":\"10.0.0.9\",\"new\":\"10.0.0." + id + "\"}}";
            if (paired) {
                out << head << "\"phase\":\"sent\",\"id\":\"" << id << "\"," << change << "}\n"
                    << head << "\"phase\":\"result\",\"id\":\"" << id
                    << "\",\"result\":\"verified\",\"result_code\":\"0x8000\"}\n";
            } else {
                out << head << change << ",\"result\":\"verified\"}\n";
            }
        }
    }
    const auto start = std::chrono::steady_clock::now();
    std::fflush(stdout);  // the child must not print this process's buffered lines again
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_STATE_HOME", dir.c_str(), 1);
        if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
        execl(ORVEXCTL, ORVEXCTL, "journal", "--format", "json", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double took = Since(start);
    std::system(("rm -rf " + dir).c_str());
    return {took, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

}  // namespace

int main() {
    if (!platform::FirstRealAdapterUp().empty()) {
        std::fprintf(
            stderr,
            "refusing to run next to a real network adapter; use tests/support/run-isolated.sh\n");
        return 1;
    }
    // First, while this process is small: a child's peak memory counts the pages it
    // shared with this process until it started orvexctl.
    const auto single = ListJournal(100000, false);
    std::printf("orvexctl journal --format json, 100,000 entries: %.2f s, peak %.1f MB "
                "(was 1.9 s, 533 MB)\n",
                single.first, single.second);
    const auto pairs = ListJournal(100000, true);
    std::printf("orvexctl journal --format json, 100,000 changes sent and ended (200,000 "
                "lines): %.2f s, peak %.1f MB\n",
                pairs.first, pairs.second);
    const Figures one = Readdress(1, 1);
    const Figures site = Readdress(200, 16);
    std::printf("readdress over discovery, real clock, cameras in their own process\n");
    std::printf("1 camera alone:            %.2f s wall, %.3f s CPU (%d verified)\n", one.wall,
                one.cpu, one.verified);
    std::printf("200 cameras, parallel 16:  %.2f s wall, %.3f s CPU (%d verified)\n", site.wall,
                site.cpu, site.verified);
    std::printf("site / single: %.2f\n", site.wall / one.wall);

    std::string outcome;
    const double planned = PlanSite(100000, false, &outcome);
    std::printf("plan of 100,000 rows read and planned: %.2f s (%s; was 15 s)\n", planned,
                outcome.c_str());
    const double refused = PlanSite(100000, true, &outcome);
    std::printf("plan of 100,000 rows refused at its last row: %.2f s (%s)\n", refused,
                outcome.c_str());
    return 0;
}
