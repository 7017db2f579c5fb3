// orvex-camsim: a fleet of virtual cameras. Run it only inside a private network
// namespace (see the README): it answers discovery broadcasts on UDP port 8600.
#include <algorithm>
#include <unistd.h>

#include <clocale>

#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/Clock.h"
#include "resources/Version.h"
#include "tools/camsim/OnvifResponder.h"
#include "tools/camsim/EventLog.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/FirmwareServer.h"
#include "tools/camsim/FleetConsole.h"

namespace {

constexpr const char* kUsage =
    "usage: orvex-camsim [--file FILE] [--camera key=value,...]... [--count N]\n"
    "                    [--spread MS] [--bind ADDR] [--device IFNAME] [--no-web]\n"
    "                    [--firmware ADDR]\n"
    "                    [--latest VERSION] [--no-firmware] [--flood RATE[,SECONDS]]\n"
    "                    [--log FILE] [--quiet] [--version]\n"
    "Camera keys: ip mask gateway dns1 dns2 mac port uid name version ddns netmode\n"
    "             user password rights app md5 oem faults slow restart newip newport\n"
    "             setdelay setlate (faults for set requests: setkeep setreject setnoreply)\n"
    "             onvif=on onvifdelay onvifxaddr onvifauth onvifclock hardware location\n"
    "             (ONVIF on UDP 3702 and the web port; fault reuseid), native=off\n"
    "--log FILE appends a line for each set request (set MAC) and web request (web IP:PORT\n"
    "PATH, without the query) the cameras receive.\n"
    "Each camera's web side listens on its ip:port; the firmware server answers\n"
    "GET /firmware/<version>/cn on ADDR:808 and serves files on ADDR:80 (ADDR 127.0.0.80).\n"
    "--flood sends RATE search replies a second from cameras that do not exist (random\n"
    "MAC and address) to whoever searched last, for SECONDS or until it ends.\n"
    "Reads commands on standard input (help lists them); ends on 'quit' or end of input\n"
    "when standard input is a terminal or a pipe, and runs until killed with --quiet.\n";

int Fail(const std::string& message) {
    std::cerr << "orvex-camsim: " << message << "\n";
    return 2;
}

volatile std::sig_atomic_t g_stop = 0;

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    platform::Clock::SetTimeScale(platform::TimeScaleFromEnvironment());
    std::vector<camsim::CameraConfig> cameras;
    std::string bindAddress = "0.0.0.0";
    std::string device;
    long spread = 0;
    bool quiet = false;
    bool web = true;
    bool firmware = true;
    unsigned floodRate = 0;
    unsigned floodSeconds = 0;
    camsim::FirmwareServer::Settings firmwareSettings;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc) return false;
            *out = argv[++i];
            return true;
        };
        std::string text, error;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--version") {
            std::cout << "orvex-camsim " << orvex::kOrvexVersion << "\n";
            return 0;
        } else if (arg == "--file") {
            if (!value(&text)) return Fail("--file needs a file name");
            std::ifstream in(text);
            if (!in) return Fail("cannot read " + text);
            std::stringstream content;
            content << in.rdbuf();
            if (!camsim::ParseCameraFile(content.str(), &cameras, &error)) {
                return Fail(text + ": " + error);
            }
        } else if (arg == "--camera") {
            if (!value(&text)) return Fail("--camera needs key=value,...");
            camsim::CameraConfig camera;
            camera.mac[5] = static_cast<std::uint8_t>(cameras.size() + 1);
            if (!camsim::ParseCameraOption(text, &camera, &error)) return Fail(error);
            cameras.push_back(camera);
        } else if (arg == "--count") {
            if (!value(&text)) return Fail("--count needs a number");
            const long n = std::strtol(text.c_str(), nullptr, 10);
            if (n < 1 || n > camsim::kMaxGeneratedCameras) {
                return Fail("--count takes 1.." + std::to_string(camsim::kMaxGeneratedCameras));
            }
            for (const auto& c : camsim::GenerateCameras(static_cast<int>(n))) cameras.push_back(c);
        } else if (arg == "--spread") {
            if (!value(&text)) return Fail("--spread needs milliseconds");
            spread = std::strtol(text.c_str(), nullptr, 10);
            if (spread < 0 || spread > 60000) return Fail("--spread takes 0..60000");
        } else if (arg == "--bind") {
            if (!value(&bindAddress)) return Fail("--bind needs an address");
        } else if (arg == "--device") {
            if (!value(&device)) return Fail("--device needs a network interface name");
        } else if (arg == "--no-web") {
            web = false;
        } else if (arg == "--no-firmware") {
            firmware = false;
        } else if (arg == "--firmware") {
            if (!value(&firmwareSettings.ip)) return Fail("--firmware needs an address");
        } else if (arg == "--latest") {
            if (!value(&firmwareSettings.latest)) return Fail("--latest needs a version");
        } else if (arg == "--flood") {
            if (!value(&text)) return Fail("--flood needs RATE[,SECONDS]");
            char* end = nullptr;
            const long rate = std::strtol(text.c_str(), &end, 10);
            long seconds = 0;
            if (*end == ',') seconds = std::strtol(end + 1, &end, 10);
            if (*end != '\0' || rate < 1 || rate > 1000000 || seconds < 0 || seconds > 86400) {
                return Fail("--flood takes RATE (1..1000000 replies a second) and optionally ,SECONDS");
            }
            floodRate = static_cast<unsigned>(rate);
            floodSeconds = static_cast<unsigned>(seconds);
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--log") {
            if (!value(&text)) return Fail("--log needs a file name");
            if (!camsim::EventLog::Open(text)) return Fail("cannot write " + text);
        } else {
            return Fail("unknown option '" + arg + "'\n" + kUsage);
        }
    }
    if (cameras.empty() && floodRate == 0) return Fail("no cameras: give --file, --camera, --count or --flood");

    camsim::CameraFleet fleet;
    for (const auto& c : cameras) fleet.AddCamera(c);
    fleet.SetReplySpread(static_cast<unsigned>(spread));
    std::string error;
    if (!fleet.Start(&error, bindAddress, device)) return Fail(error);
    fleet.StartFlood(floodRate, floodSeconds);
    if (web && !fleet.StartWeb(&error)) return Fail(error);
    camsim::FirmwareServer firmwareServer(firmwareSettings);
    if (firmware && !firmwareServer.Start(&error)) return Fail("firmware server: " + error);
    // The ONVIF cameras' discovery side, joined on the interface their addresses are on.
    camsim::OnvifResponder onvif;
    const auto speaksOnvif = std::find_if(cameras.begin(), cameras.end(),
                                          [](const camsim::CameraConfig& c) { return c.onvif.enabled; });
    if (speaksOnvif != cameras.end()) {
        const std::string on = bindAddress != "0.0.0.0" ? bindAddress : speaksOnvif->ip;
        // A camera moved by a set request speaks for itself from its new address.
        if (!onvif.Start(cameras, on, &error, [&fleet](std::size_t i) { return fleet.Camera(i); }, device))
            return Fail(error);
    }
    std::cerr << "orvex-camsim: " << cameras.size() << " camera(s) answering on UDP 8600"
              << (web ? ", each with its web side" : "")
              << (firmware ? ", firmware server on " + firmwareSettings.ip + ":808" : "")
              << (speaksOnvif != cameras.end() ? ", ONVIF discovery on UDP 3702" : "") << "\n";

    if (quiet) {
        std::signal(SIGINT, [](int) { g_stop = 1; });
        std::signal(SIGTERM, [](int) { g_stop = 1; });
        while (!g_stop) pause();
    } else {
        std::string line;
        bool quit = false;
        while (!quit && std::getline(std::cin, line)) {
            const std::string answer = camsim::RunFleetCommand(fleet, line, &quit);
            if (!answer.empty()) std::cout << answer << std::endl;
        }
    }
    onvif.Stop();  // each ONVIF camera says Bye
    firmwareServer.Stop();
    fleet.Stop();
    return 0;
}
