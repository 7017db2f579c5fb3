// ONVIF at the scale of a large site: 500 virtual ONVIF cameras (in their own orvex-camsim
// process) whose ProbeMatches are spread over half a second, found by one scan (every one
// listed, and when the last one was); the CPU time one ProbeMatch costs to read; and
// orvexctl onvif info for 200 cameras with --parallel 16 against one camera alone.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "onvif/OnvifDiscovery.h"
#include "platform/NetworkIsolation.h"

namespace {

using Steady = std::chrono::steady_clock;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string Ip(int n) {
    return "127.0." + std::to_string(5 + n / 250) + "." + std::to_string(n % 250 + 1);
}

// orvex-camsim with `count` ONVIF cameras (device service on port 80 of each); its pid.
pid_t StartCameras(int count, const std::string& file) {
    {
        std::ofstream out(file);
        for (int n = 0; n < count; ++n) {
            char mac[32];
            std::snprintf(mac, sizeof(mac), "02:4f:52:0e:%02x:%02x", n >> 8 & 255, n & 255);
            out << "[camera]\nip = " << Ip(n) << "\nport = 80\nmac = " << mac
                << "\npassword = secret\nonvif = on\nonvifdelay = 500\n";
        }
    }
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!std::freopen("/dev/null", "w", stderr)) _exit(126);
        execl(ORVEX_CAMSIM, ORVEX_CAMSIM, "--file", file.c_str(), "--no-firmware", "--quiet",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    sleep(2);  // its Hellos, and every web side listening
    return pid;
}

// Wall seconds of orvexctl onvif info for the first `count` cameras.
double Info(int count, int parallel) {
    std::vector<std::string> args = {ORVEXCTL, "onvif", "info", "--parallel", std::to_string(parallel), "--format", "json"};
    for (int n = 0; n < count; ++n) args.insert(args.end(), {"--host", Ip(n)});
    std::fflush(stdout);  // the child must not print this process's buffered lines again
    const auto start = Steady::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("ORVEX_PASSWORD", "secret", 1);
        if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(ORVEXCTL, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return std::chrono::duration<double>(Steady::now() - start).count();
}

}  // namespace

int main() {
    if (!platform::FirstRealAdapterUp().empty()) {
        std::fprintf(stderr, "refusing to run next to a real network adapter; use tests/support/run-isolated.sh\n");
        return 1;
    }
    const pid_t cameras = StartCameras(500, "/tmp/orvex-onvif-bench.txt");

    orvex::OnvifDiscovery::Options options;
    options.sources = {{"127.0.0.1", "255.0.0.0", "lo"}};
    options.seconds = 2;
    orvex::OnvifDiscovery discovery(options);
    std::atomic<bool> running{true};
    double lastListed = -1;
    const auto start = Steady::now();
    std::thread watch([&] {
        while (running) {
            if (lastListed < 0 && discovery.Cameras().size() >= 500)
                lastListed = std::chrono::duration<double>(Steady::now() - start).count();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::string error;
    discovery.Run(nullptr, &error);
    running = false;
    watch.join();
    std::printf("500 ONVIF cameras, replies spread over 500 ms, one scan of 2 s: %zu listed, the last after %.0f ms\n",
                discovery.Cameras().size(), lastListed * 1000);

    // Reading alone: the same ProbeMatches, parsed again and again.
    const std::string reply =
        "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
        "xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" "
        "xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\" "
        "xmlns:dn=\"http://www.onvif.org/ver10/network/wsdl\"><s:Header><a:MessageID>urn:uuid:1</a:MessageID>"
        "</s:Header><s:Body><d:ProbeMatches><d:ProbeMatch><a:EndpointReference><a:Address>urn:uuid:e</a:Address>"
        "</a:EndpointReference><d:Types>dn:NetworkVideoTransmitter</d:Types><d:Scopes>onvif://www.onvif.org/name/x "
        "onvif://www.onvif.org/hardware/y</d:Scopes><d:XAddrs>http://10.0.0.1/onvif/device_service</d:XAddrs>"
        "<d:MetadataVersion>1</d:MetadataVersion></d:ProbeMatch></d:ProbeMatches></s:Body></s:Envelope>";
    orvex::OnvifDiscovery reader(orvex::OnvifDiscovery::Options{});
    const int rounds = 20000;
    const double cpu = CpuSeconds();
    for (int i = 0; i < rounds; ++i) reader.Take(reply.data(), reply.size(), "10.0.0.1", 0);
    std::printf("one ProbeMatch read and merged: %.1f us of CPU (%zu bytes)\n", (CpuSeconds() - cpu) / rounds * 1e6,
                reply.size());

    const double one = Info(1, 1);
    const double many = Info(200, 16);
    std::printf("orvexctl onvif info: 1 camera %.2f s, 200 cameras with --parallel 16 %.2f s (%.1f times one)\n", one,
                many, many / one);
    kill(cameras, SIGTERM);
    waitpid(cameras, nullptr, 0);
    return 0;
}
