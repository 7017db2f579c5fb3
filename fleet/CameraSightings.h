#pragma once
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "discovery/DeviceRecord.h"

namespace orvex {

// What the cameras a batch watches (by MAC) have said lately: their latest search reply
// and their set replies, each numbered in the order heard, so that a run can ask for what
// came after it sent its request; and which devices answered from the addresses a batch
// watches (the addresses cameras are moving onto). Only what is watched is kept, and a
// few devices per address: memory stays bounded whatever the network sends. Thread-safe.
class CameraSightings {
public:
    void Watch(const std::string& mac);
    void WatchAddress(const std::string& ip);
    // From the discovery threads.
    void OnSearchReply(const DeviceRecord& record);
    void OnSetReply(const DeviceRecord& block, int code);

    // The number of the latest thing heard.
    unsigned long Mark();
    // The first set reply of `mac` heard after `after`: its code and number.
    bool SetReplySince(const std::string& mac, unsigned long after, int* code, unsigned long* at);
    // The latest search reply of `mac`, when it was heard after `after`.
    bool SeenSince(const std::string& mac, unsigned long after, DeviceRecord* record);
    // The MACs other than `except` heard answering a search from `ip` after `after`.
    std::vector<std::string> HeardAt(const std::string& ip, unsigned long after,
                                     const std::string& except);
    // Waits up to `wait` (real time) until something is heard after `after`.
    void WaitNews(unsigned long after, std::chrono::milliseconds wait);

private:
    struct Seen {
        DeviceRecord record;
        unsigned long at = 0;
    };
    struct Watched {
        bool seen = false;
        Seen latest;
        std::vector<std::pair<unsigned long, int>> setReplies;  // the latest few
    };

    std::mutex m_lock;
    std::condition_variable m_news;
    unsigned long m_mark = 0;
    std::map<std::string, Watched> m_watched;
    std::map<std::string, std::map<std::string, unsigned long>> m_addresses;  // ip -> MAC -> heard
};

}  // namespace orvex
