#pragma once
#include <memory>
#include <string>

#include "discovery/CameraTable.h"
#include "platform/Message.h"
#include "platform/WindowRegistry.h"
#include "resources/Resource.h"

namespace orvex {

class CLanprobe;
class CUpdateThread;

// What a window does with one discovery message, once the table has taken its part.
struct DiscoveryOutcome {
    enum Kind { kNone, kCameraReply, kSweep, kSetReply, kSendFailed, kSearchFailed };
    Kind kind = kNone;
    int code = 0;         // set result, or the failure code
    bool merged = false;  // kCameraReply: the table took the record
    DeviceRecord record;  // kCameraReply: the record as received; kSetReply: the reply's block
};

// The discovery steps a window takes, shared by the main window and orvexctl.
class DiscoveryControl {
public:
    // Results of Start: 0, or the id of the string the window shows.
    static constexpr int kStarted = 0;
    static constexpr int kListenerFailed = IDS_SEARCH_INIT_FAILED;
    static constexpr int kSchedulerFailed = IDS_THREAD_INIT_FAILED;

    // Listener first, then the scheduler, whose first search binds the socket.
    static int Start(CLanprobe& prober, CUpdateThread& scheduler, const std::wstring& ip,
                     platform::HWND window);
    // Scheduler, then socket and callback, then listener.
    static void Stop(CLanprobe& prober, CUpdateThread& scheduler);
    // The listener's callback; the context is the window handle. Copies a found record, or
    // a set reply's block, to the heap and posts it with event 4 or the set result.
    static void Callback(int nEvent, void* pData, void* pContext);
    // Handles 2026 and 2027 for the table (and frees a posted record).
    static DiscoveryOutcome Handle(const platform::Message& msg, CameraTable& table);
    // Frees the record a discovery message carries when it is left queued, never handled.
    static void FreeLeftover(const platform::Message& msg);
};

}  // namespace orvex
