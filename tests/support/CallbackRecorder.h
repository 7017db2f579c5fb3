#pragma once
#include <mutex>
#include <vector>

#include "discovery/DeviceRecord.h"

namespace orvextest {

// Collects the listener's callback events (a CLanprobe callback context).
class CallbackRecorder {
public:
    struct Event {
        int code;
        orvex::DeviceRecord record;
    };

    static void Callback(int nEvent, void* pData, void* pContext) {
        auto* self = static_cast<CallbackRecorder*>(pContext);
        std::lock_guard<std::mutex> guard(self->m_lock);
        Event e{nEvent, {}};
        if (pData) e.record = *static_cast<const orvex::DeviceRecord*>(pData);
        self->m_events.push_back(e);
    }

    std::vector<Event> Events() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_events;
    }

    std::size_t Count(int code) {
        std::lock_guard<std::mutex> guard(m_lock);
        std::size_t n = 0;
        for (const Event& e : m_events) n += e.code == code;
        return n;
    }

private:
    std::mutex m_lock;
    std::vector<Event> m_events;
};

}  // namespace orvextest
