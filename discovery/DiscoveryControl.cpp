#include "discovery/DiscoveryControl.h"

#include <cstring>

#include "cgi/TraceMsg.h"
#include "discovery/DiscoveryCodec.h"
#include "discovery/DiscoveryMessages.h"
#include "discovery/Lanprobe.h"
#include "discovery/UpdateThread.h"

namespace orvex {

int DiscoveryControl::Start(CLanprobe& prober, CUpdateThread& scheduler, const std::wstring& ip,
                            platform::HWND window) {
    prober.SetBindIPAddr(ip);
    if (!prober.OpenListenThread(&DiscoveryControl::Callback, reinterpret_cast<void*>(window))) {
        return kListenerFailed;
    }
    TraceMsg("\n OpenListenThread");
    if (!scheduler.Start(window, &prober)) return kSchedulerFailed;
    return kStarted;
}

void DiscoveryControl::Stop(CLanprobe& prober, CUpdateThread& scheduler) {
    scheduler.Stop();
    prober.ClearSearchOk();
    prober.UninitSocket();
    prober.ClearCallback();
    prober.CloseListenThread();
}

void DiscoveryControl::Callback(int nEvent, void* pData, void* pContext) {
    if (!pContext) return;
    const auto window = reinterpret_cast<platform::HWND>(pContext);
    if (nEvent == kEventDeviceFound && pData) {
        auto* copy = new DeviceRecord(*static_cast<const DeviceRecord*>(pData));
        if (!platform::WindowRegistry::Post(window, kMsgDiscovery, kEventDeviceFound,
                                            reinterpret_cast<platform::LPARAM>(copy))) {
            delete copy;  // the window is gone
        }
    } else if (pData) {
        // A set reply, with its block so that the reply can be told apart by MAC.
        auto* block = new DeviceRecord();
        std::memcpy(PayloadBytes(*block), pData, kParamsSize);
        if (!platform::WindowRegistry::Post(window, kMsgDiscovery,
                                            static_cast<platform::WPARAM>(
                                                static_cast<std::uint32_t>(nEvent)),
                                            reinterpret_cast<platform::LPARAM>(block))) {
            delete block;
        }
    }
}

void DiscoveryControl::FreeLeftover(const platform::Message& msg) {
    if (msg.message == kMsgDiscovery && msg.lParam != 0) {
        delete reinterpret_cast<DeviceRecord*>(msg.lParam);
    }
}

DiscoveryOutcome DiscoveryControl::Handle(const platform::Message& msg, CameraTable& table) {
    DiscoveryOutcome outcome;
    if (msg.message == kMsgSweepCameras) {
        table.SweepCameras();
        outcome.kind = DiscoveryOutcome::kSweep;
        return outcome;
    }
    if (msg.message != kMsgDiscovery) return outcome;
    if (msg.wParam != kEventDeviceFound && msg.lParam != 0) {
        // A set reply with any result code the camera sent, and its block.
        std::unique_ptr<DeviceRecord> block(reinterpret_cast<DeviceRecord*>(msg.lParam));
        outcome.kind = DiscoveryOutcome::kSetReply;
        outcome.code = static_cast<int>(static_cast<std::uint32_t>(msg.wParam));
        outcome.record = *block;
        return outcome;
    }
    switch (msg.wParam) {
        case kEventDeviceFound: {
            std::unique_ptr<DeviceRecord> record(reinterpret_cast<DeviceRecord*>(msg.lParam));
            if (!record) return outcome;
            outcome.kind = DiscoveryOutcome::kCameraReply;
            outcome.record = *record;
            outcome.merged = table.AddCamera(*record);
            return outcome;
        }
        case kSendFailed:
            outcome.kind = DiscoveryOutcome::kSendFailed;
            outcome.code = static_cast<int>(msg.wParam);
            return outcome;
        case kSearchBindFailed:
            outcome.kind = DiscoveryOutcome::kSearchFailed;
            outcome.code = static_cast<int>(msg.wParam);
            return outcome;
        case kSetSuccess:
        case kSetBadLogin:
        case kSetNoRights:
            outcome.kind = DiscoveryOutcome::kSetReply;
            outcome.code = static_cast<int>(msg.wParam);
            return outcome;
        default:
            return outcome;
    }
}

}  // namespace orvex
