#include "fleet/AdapterScan.h"

#include <arpa/inet.h>

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
};

AdapterScan::AdapterScan(std::vector<ScanSource> sources, Observer observer)
    : m_sources(std::move(sources)), m_observer(std::move(observer)) {}

AdapterScan::~AdapterScan() { Stop(); }

void AdapterScan::Start() {
    if (m_started) return;
    m_started = true;
    for (std::size_t i = 0; i < m_sources.size(); ++i) {
        auto source = std::make_unique<Source>();
        Source& s = *source;
        m_running.push_back(std::move(source));
        const int started =
            DiscoveryControl::Start(s.prober, s.scheduler, platform::Widen(m_sources[i].ip), s.window->Handle());
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
        if ((outcome.kind == DiscoveryOutcome::kSearchFailed || outcome.kind == DiscoveryOutcome::kSendFailed) &&
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
        for (const platform::Message& msg : source->window->Queue().TakeAll()) DiscoveryControl::FreeLeftover(msg);
    }
}

bool AdapterScan::WaitAllFailed(int ms, const std::atomic<int>* stop) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock<std::mutex> guard(m_lock);
    const auto allFailed = [&] { return m_failures.size() >= m_sources.size(); };
    while (!allFailed() && std::chrono::steady_clock::now() < until) {
        if (stop && stop->load() != 0) break;
        m_failed.wait_until(guard, std::min(until, std::chrono::steady_clock::now() + std::chrono::milliseconds(100)));
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
            cameras.push_back({record, i, !InSubnet(platform::Trim(ip), source.ip, source.mask)});
        }
    }
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

bool AdapterScan::InSubnet(const std::string& ip, const std::string& sourceIp, const std::string& mask) {
    in_addr_t a = 0, b = 0, m = 0;
    if (!platform::ParseIpv4(ip, &a) || !platform::ParseIpv4(sourceIp, &b) || !platform::ParseIpv4(mask, &m)) {
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
        case 1: return "cannot search from " + where + ": " + Reason(failure.error);
        case 2: return "cannot send the search from " + where + ": " + Reason(failure.error);
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
