#include "fleet/AdapterScan.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

#include "discovery/CameraTable.h"
#include "discovery/Lanprobe.h"
#include "discovery/UpdateThread.h"
#include "netcard/NetCardInfo.h"
#include "platform/CodePage.h"
#include "platform/QueueWindow.h"
#include "platform/TextUtil.h"
#include "platform/Thread.h"
#include "platform/UdpSocket.h"

namespace orvex {

using platform::CodePage;

struct AdapterScan::Source {
    std::shared_ptr<platform::QueueWindow> window = platform::QueueWindow::Create();
    NullCameraTableView view;
    CameraTable table{&view};
    CLanprobe prober;
    CUpdateThread scheduler;
    platform::Thread pump;
    std::atomic<bool> stop{false};
    bool failed = false;  // pump thread only
    // Under m_listLock: what the table lists, what left it and when, and whether the
    // latest search failed.
    std::map<Key, Listed> listed;
    std::map<Key, unsigned long> left;
    bool failing = false;
    std::atomic<long long> searchAsked{0};  // steady-clock ms of the last search asked for
};

AdapterScan::AdapterScan(std::vector<ScanSource> sources, Observer observer)
    : m_sources(std::move(sources)), m_observer(std::move(observer)) {}

AdapterScan::~AdapterScan() {
    Stop();
}

void AdapterScan::Start() {
    if (m_started) return;
    m_started = true;
    for (std::size_t i = 0; i < m_sources.size(); ++i) {
        auto source = std::make_unique<Source>();
        Source& s = *source;
        m_running.push_back(std::move(source));
        const int started = DiscoveryControl::Start(
            s.prober, s.scheduler, platform::Widen(m_sources[i].ip), s.window->Handle());
        if (started != DiscoveryControl::kStarted) {
            Fail(i, started, 0);
            continue;
        }
        if (!s.pump.Start([this, &s, i] {
                Pump(s, i);
                return 0u;
            })) {
            // No thread to take its messages: the source's discovery stops, reported.
            DiscoveryControl::Stop(s.prober, s.scheduler);
            Fail(i, DiscoveryControl::kSchedulerFailed, EAGAIN);
        }
    }
}

void AdapterScan::Pump(Source& source, std::size_t index) {
    while (!source.stop) {
        auto msg = source.window->Queue().Wait(100);
        if (!msg) continue;
        const DiscoveryOutcome outcome = DiscoveryControl::Handle(*msg, source.table);
        Track(source, outcome);
        if (outcome.kind == DiscoveryOutcome::kCameraReply)
            m_sightings.OnSearchReply(outcome.record);
        if (outcome.kind == DiscoveryOutcome::kSetReply)
            m_sightings.OnSetReply(outcome.record, outcome.code);
        if ((outcome.kind == DiscoveryOutcome::kSearchFailed ||
             outcome.kind == DiscoveryOutcome::kSendFailed) &&
            !source.failed) {
            source.failed = true;
            Fail(index, outcome.code, source.prober.LastError());
        }
        if (m_observer && outcome.kind != DiscoveryOutcome::kNone) {
            std::lock_guard<std::mutex> guard(m_lock);
            m_observer(index, outcome, source.table.Count());
        }
    }
}

void AdapterScan::Track(Source& source, const DiscoveryOutcome& outcome) {
    if (outcome.kind == DiscoveryOutcome::kCameraReply && outcome.merged) {
        const Key key{MacText(outcome.record),
                      platform::Trim(platform::FieldString(outcome.record.szIp))};
        std::lock_guard<std::mutex> guard(m_listLock);
        auto [it, added] = source.listed.try_emplace(key);
        if (added) it->second.since = ++m_listing;
        it->second.port = outcome.record.wPort;
    } else if (outcome.kind == DiscoveryOutcome::kSweep) {
        std::map<Key, int> now;
        for (const DeviceRecord& r : source.table.Entries()) {
            now[{MacText(r), platform::Trim(platform::FieldString(r.szIp))}] = r.wPort;
        }
        std::lock_guard<std::mutex> guard(m_listLock);
        for (auto it = source.listed.begin(); it != source.listed.end();) {
            if (now.count(it->first) != 0) {
                ++it;
                continue;
            }
            source.left[it->first] = ++m_listing;
            it = source.listed.erase(it);
        }
        source.failing = false;  // a sweep comes after searches that went out
    } else if (outcome.kind == DiscoveryOutcome::kSendFailed ||
               outcome.kind == DiscoveryOutcome::kSearchFailed) {
        std::lock_guard<std::mutex> guard(m_listLock);
        source.failing = true;
    }
}

bool AdapterScan::FollowCamera(const std::string& mac, const std::string& ip, int port, int source,
                               const std::function<bool(const std::string&, int)>& inUse,
                               std::string* newIp, int* newPort) {
    if (source < 0 || static_cast<std::size_t>(source) >= m_running.size()) return false;
    const Source& s = *m_running[static_cast<std::size_t>(source)];
    std::lock_guard<std::mutex> guard(m_listLock);
    if (s.failing) return false;  // a stale list says nothing about where the camera went
    const Key own{mac, ip};
    const auto still = s.listed.find(own);
    if (still != s.listed.end()) {
        // Still at its address; a camera back on another port has its entry updated.
        if (still->second.port == port || inUse(ip, still->second.port)) return false;
        *newIp = ip;
        *newPort = still->second.port;
        return true;
    }
    const auto left = s.left.find(own);
    if (left == s.left.end()) return false;  // never seen there: nothing to follow from
    const std::pair<const Key, Listed>* best = nullptr;
    for (const auto& entry : s.listed) {
        if (entry.first.first != mac || entry.second.since <= left->second) continue;
        if (inUse(entry.first.second, entry.second.port)) continue;
        if (!best || entry.second.since < best->second.since) best = &entry;
    }
    if (!best) return false;
    *newIp = best->first.second;
    *newPort = best->second.port;
    return true;
}

void AdapterScan::Fail(std::size_t index, int code, int error) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_failures.push_back({index, code, error});
    m_failed.notify_all();
}

void AdapterScan::Stop() {
    for (auto& source : m_running) {
        DiscoveryControl::Stop(source->prober, source->scheduler);
        source->stop = true;
        source->pump.Join();
        source->window->Close();
        for (const platform::Message& msg : source->window->Queue().TakeAll())
            DiscoveryControl::FreeLeftover(msg);
    }
}

bool AdapterScan::WaitAllFailed(int ms, const std::atomic<int>* stop) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock<std::mutex> guard(m_lock);
    const auto allFailed = [&] { return m_failures.size() >= m_sources.size(); };
    while (!allFailed() && std::chrono::steady_clock::now() < until) {
        if (stop && stop->load() != 0) break;
        m_failed.wait_until(guard, std::min(until, std::chrono::steady_clock::now() +
                                                       std::chrono::milliseconds(100)));
    }
    return allFailed();
}

std::vector<ScannedCamera> AdapterScan::Cameras() {
    std::vector<ScannedCamera> cameras;
    std::set<std::pair<std::string, std::string>> seen;  // MAC and IP text
    for (std::size_t i = 0; i < m_running.size(); ++i) {
        for (const DeviceRecord& record : m_running[i]->table.Entries()) {
            const std::string ip = platform::FieldString(record.szIp);
            if (!seen.insert({MacText(record), ip}).second) continue;
            const ScanSource& source = m_sources[i];
            cameras.push_back(
                {record, i, !InSubnet(platform::Trim(ip), source.ip, source.mask), false});
        }
    }
    std::map<std::string, int> macs;
    for (const ScannedCamera& camera : cameras) ++macs[MacText(camera.record)];
    for (ScannedCamera& camera : cameras) camera.sharedMac = macs[MacText(camera.record)] > 1;
    return cameras;
}

std::vector<ScanFailure> AdapterScan::Failures() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_failures;
}

bool AdapterScan::FindCameraByMac(const std::string& mac, std::string* ip, int* port) {
    for (auto& source : m_running) {
        if (source->table.FindCameraByMac(mac, ip, port)) return true;
    }
    return false;
}

bool AdapterScan::SendSetRequest(std::size_t source, const DeviceRecord& block) {
    if (source >= m_running.size()) return false;
    Source& s = *m_running[source];
    if (s.stop || !s.prober.SendSetParams(ParamsOf(block))) return false;
    // A search soon after shows the camera's new settings; many requests at once share one.
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
    long long last = s.searchAsked.load();
    if (now - last >= kSearchCoalesceMs && s.searchAsked.compare_exchange_strong(last, now))
        s.scheduler.PostSearchNow();
    return true;
}

void AdapterScan::SearchNow() {
    for (auto& source : m_running) {
        if (!source->stop) source->scheduler.PostSearchNow();
    }
}

std::string AdapterScan::RouteSource(const std::string& host) {
    in_addr_t address = 0;
    if (!platform::ParseIpv4(host, &address)) return "";
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return "";
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = htons(80);
    sockaddr_in local{};
    socklen_t size = sizeof(local);
    // Connecting a datagram socket only picks the route.
    const bool routed = connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0 &&
                        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) == 0;
    close(fd);
    return routed ? platform::FormatIpv4(local.sin_addr.s_addr) : "";
}

bool AdapterScan::InSubnet(const std::string& ip, const std::string& sourceIp,
                           const std::string& mask) {
    in_addr_t a = 0, b = 0, m = 0;
    if (!platform::ParseIpv4(ip, &a) || !platform::ParseIpv4(sourceIp, &b) ||
        !platform::ParseIpv4(mask, &m)) {
        return false;
    }
    return (a & m) == (b & m);
}

std::vector<ScanSource> AdapterScan::AllAdapters() {
    std::vector<NetCardItem> adapters;
    CNetCardInfo().GetNetCardList(adapters);
    std::vector<ScanSource> sources;
    for (const NetCardItem& a : adapters) {
        sources.push_back({CodePage::WideToOem(a.strIp), CodePage::WideToOem(a.strSubMask),
                           CodePage::WideToUtf8(a.strDescription)});
    }
    return sources;
}

std::vector<ScanSource> AdapterScan::ForAddresses(const std::vector<std::string>& addresses) {
    const std::vector<ScanSource> adapters = AllAdapters();
    std::vector<ScanSource> sources;
    for (const std::string& ip : addresses) {
        ScanSource source{ip, "", ""};
        for (const ScanSource& adapter : adapters) {
            if (adapter.ip == ip) source = adapter;
        }
        sources.push_back(source);
    }
    return sources;
}

std::string AdapterScan::Describe(const ScanSource& source, const ScanFailure& failure) {
    const std::string where = source.ip + (source.name.empty() ? "" : " (" + source.name + ")");
    switch (failure.code) {
        case 1:
            return "cannot search from " + where + ": " + Reason(failure.error);
        case 2:
            return "cannot send the search from " + where + ": " + Reason(failure.error);
        default:
            return "cannot start the search threads for " + where +
                   (failure.error != 0 ? ": " + Reason(failure.error) : "");
    }
}

std::string AdapterScan::Reason(int error) {
    if (error == 0) return "unknown reason";
    return std::strerror(error);
}

}  // namespace orvex
