#include "tools/orvexctl/ScanCommand.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "discovery/CameraExport.h"
#include "discovery/CameraTable.h"
#include "discovery/DiscoveryCodec.h"
#include "discovery/DiscoveryControl.h"
#include "discovery/DiscoveryMessages.h"
#include "discovery/Lanprobe.h"
#include "discovery/UpdateThread.h"
#include "platform/QueueWindow.h"
#include "platform/TextUtil.h"

namespace orvexctl {
namespace {

void PrintEvent(const orvex::DiscoveryOutcome& outcome, orvex::CameraTable& table) {
    switch (outcome.kind) {
        case orvex::DiscoveryOutcome::kCameraReply: {
            const orvex::DeviceRecord& r = outcome.record;
            std::printf("found %s %u %s %s %s\n",
                        OneLine(platform::FieldString(r.szIp)).c_str(),
                        static_cast<unsigned>(r.wPort), orvex::MacText(r).c_str(),
                        orvex::ModelLetter(r.nMode),
                        OneLine(platform::FieldString(r.szName)).c_str());
            break;
        }
        case orvex::DiscoveryOutcome::kSweep:
            std::printf("sweep %zu\n", table.Count());
            break;
        case orvex::DiscoveryOutcome::kSetReply:
            std::printf("set-reply 0x%X\n", static_cast<unsigned>(outcome.code));
            break;
        case orvex::DiscoveryOutcome::kSendFailed:
        case orvex::DiscoveryOutcome::kSearchFailed:
            std::printf("error %d\n", outcome.code);
            break;
        case orvex::DiscoveryOutcome::kNone:
            return;
    }
    std::fflush(stdout);
}

void FreeLeftovers(platform::MessageQueue& queue) {
    for (const platform::Message& msg : queue.TakeAll()) {
        if (msg.message == orvex::kMsgDiscovery && msg.wParam == orvex::kEventDeviceFound) {
            delete reinterpret_cast<orvex::DeviceRecord*>(msg.lParam);
        }
    }
}

}  // namespace

int RunScan(const Arguments& args) {
    std::string bind;
    long seconds = 5;
    bool events = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--bind" || arg == "--seconds") {
            if (i + 1 >= args.size()) return BadArguments(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--bind") {
                if (!IsIpv4(value)) {
                    return BadArguments("--bind takes an IPv4 address in dotted form, got '" +
                                        value + "'");
                }
                bind = value;
            } else if (!ParseInteger(value, 1, 86400, &seconds)) {
                return BadArguments("--seconds takes a whole number from 1 to 86400, got '" +
                                    value + "'");
            }
        } else if (arg == "--events") {
            events = true;
        } else {
            return BadArguments("unknown option '" + arg + "' for scan");
        }
    }
    if (bind.empty()) {
        return BadArguments("scan needs --bind ADDR (the local address to search from)");
    }

    auto window = platform::QueueWindow::Create();
    orvex::NullCameraTableView view;
    orvex::CameraTable table(&view);
    orvex::CLanprobe prober;
    orvex::CUpdateThread scheduler;
    const int started =
        orvex::DiscoveryControl::Start(prober, scheduler, platform::Widen(bind), window->Handle());
    if (started != orvex::DiscoveryControl::kStarted) {
        orvex::DiscoveryControl::Stop(prober, scheduler);
        window->Close();
        FreeLeftovers(window->Queue());
        std::cerr << "orvexctl: could not start the discovery threads" << std::endl;
        return 1;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        auto msg = window->Queue().Wait(static_cast<platform::DWORD>(left.count()));
        if (!msg) continue;
        const orvex::DiscoveryOutcome outcome = orvex::DiscoveryControl::Handle(*msg, table);
        if (events) PrintEvent(outcome, table);
    }
    orvex::DiscoveryControl::Stop(prober, scheduler);
    window->Close();
    FreeLeftovers(window->Queue());

    const std::string lines = orvex::FormatExportLines(table.Entries());
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    std::fflush(stdout);
    return 0;
}

}  // namespace orvexctl
