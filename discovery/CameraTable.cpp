#include "discovery/CameraTable.h"

#include <algorithm>
#include <cstring>

#include "discovery/DiscoveryCodec.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"

namespace orvex {

using platform::CodePage;
using platform::Trim;

CameraRow CameraTable::RowOf(const DeviceRecord& record) {
    CameraRow row;
    row.mode = platform::Widen(ModelLetter(record.nMode));
    row.name = CodePage::Utf8FieldToWide(record.szName, sizeof(record.szName));
    row.ip = CodePage::FieldToWide(record.szIp, sizeof(record.szIp));
    row.port = std::to_wstring(record.wPort);
    return row;
}

CameraTable::CameraKey CameraTable::KeyOf(const DeviceRecord& record) {
    CameraKey key{};
    std::memcpy(key.data(), record.abyMac, 6);
    std::memcpy(key.data() + 6, record.szIp, strnlen(record.szIp, sizeof(record.szIp)));
    return key;
}

std::size_t CameraTable::KeyHash::operator()(const CameraKey& key) const {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (std::uint8_t byte : key) hash = (hash ^ byte) * 1099511628211ull;
    return static_cast<std::size_t>(hash);
}

std::uint64_t CameraTable::MacKeyOf(const std::uint8_t* mac) {
    std::uint64_t key = 0;
    for (int i = 0; i < 6; ++i) key = key << 8 | mac[i];
    return key;
}

void CameraTable::IndexEntryLocked(std::size_t i) {
    m_index[KeyOf(m_entries[i])] = i;
    m_byMac[MacKeyOf(m_entries[i].abyMac)].push_back(i);  // i is the largest index yet
}

void CameraTable::RebuildIndexLocked() {
    m_index.clear();
    m_byMac.clear();
    for (std::size_t i = 0; i < m_entries.size(); ++i) IndexEntryLocked(i);
}

bool CameraTable::AddCamera(const DeviceRecord& record) {
    if (!TryBeginBusy()) return false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const auto found = m_index.find(KeyOf(record));
        if (record.nMode == kModeOnvif && NativeAtLocked(record)) {
            // A camera that answers both: its native row is the one listed.
        } else if (found != m_index.end()) {
            m_entries[found->second] = record;  // the row is brought up to date by the next sweep
        } else if (m_entries.size() < m_limit) {
            m_entries.push_back(record);
            m_rows.push_back(RowOf(record));
            m_sources.push_back(SourceOf(record));
            IndexEntryLocked(m_entries.size() - 1);
            m_view->InsertRow(m_rows.size() - 1, m_rows.back());
        }
        ShowCountLocked();
    }
    EndBusy();
    return true;
}

CameraTable::RowSource CameraTable::SourceOf(const DeviceRecord& record) {
    RowSource source;
    std::memcpy(source.name, record.szName, sizeof(source.name));
    std::memcpy(source.ip, record.szIp, sizeof(source.ip));
    source.port = record.wPort;
    return source;
}

bool CameraTable::NativeAtLocked(const DeviceRecord& onvif) const {
    const std::string ip = Trim(platform::FieldString(onvif.szIp));
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const DeviceRecord& e) {
        return e.nMode != kModeOnvif && Trim(platform::FieldString(e.szIp)) == ip;
    });
}

bool CameraTable::RowMatchesLocked(std::size_t i) {
    const DeviceRecord& entry = m_entries[i];
    const RowSource source = SourceOf(entry);
    if (source == m_sources[i]) return true;  // the very bytes the row was made from
    const CameraRow& row = m_rows[i];
    const CameraRow fresh = RowOf(entry);
    if (Trim(row.name) != Trim(fresh.name)) return false;
    if (Trim(row.ip) != Trim(fresh.ip)) return false;
    if (platform::LeadingInt(row.port) != entry.wPort) return false;
    m_sources[i] = source;  // other bytes, the same texts: the row stays
    return true;
}

bool CameraTable::SweepCameras() {
    if (!TryBeginBusy()) return false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        // One pass that closes the gaps as it goes (a flood can leave thousands of
        // entries to remove); w is the index entry r has once the removed ones are gone,
        // which is the row index the list sees.
        const std::size_t before = m_entries.size();
        std::size_t w = 0;
        for (std::size_t r = 0; r < before; ++r) {
            if (m_entries[r].bAlive == 0) {
                if (SameCamera(m_entries[r], m_selected)) {
                    m_nSelected = -1;
                    m_view->ShowCamera(nullptr);
                } else if (m_nSelected > static_cast<int>(w)) {
                    --m_nSelected;
                }
                m_view->DeleteRow(w);
                continue;
            }
            if (!RowMatchesLocked(r)) {
                m_rows[r] = RowOf(m_entries[r]);
                m_sources[r] = SourceOf(m_entries[r]);
                m_view->DeleteRow(w);
                m_view->InsertRow(w, m_rows[r]);
            }
            m_entries[r].bAlive = 0;
            if (w != r) {
                m_entries[w] = m_entries[r];
                m_rows[w] = std::move(m_rows[r]);
                m_sources[w] = m_sources[r];
            }
            ++w;
        }
        if (w != before) {
            m_entries.resize(w);
            m_rows.resize(w);
            m_sources.resize(w);
            RebuildIndexLocked();  // the entries after a removal moved
        }
        ShowCountLocked();
    }
    EndBusy();
    return true;
}

void CameraTable::ShowCountLocked() {
    m_view->ShowCameraCount(m_rows.size());
    if (m_rows.empty()) {
        m_nSelected = -1;
        m_view->ShowCamera(nullptr);
    }
}

void CameraTable::ClearSelectionLocked() {
    m_nSelected = -1;
    m_selected = DeviceRecord();
    m_view->ShowCamera(nullptr);
}

void CameraTable::Select(int row) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (row < 0 || static_cast<std::size_t>(row) >= m_entries.size()) {
        ClearSelectionLocked();
        return;
    }
    m_nSelected = row;
    m_selected = m_entries[static_cast<std::size_t>(row)];
    m_view->ShowCamera(&m_selected);
}

void CameraTable::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_nSelected = -1;
    for (std::size_t i = m_rows.size(); i > 0; --i) m_view->DeleteRow(i - 1);
    m_rows.clear();
    m_sources.clear();
    m_selected = DeviceRecord();
    m_entries.clear();
    m_index.clear();
    m_byMac.clear();
    m_view->ShowCameraCount(0);
    m_view->ShowCamera(nullptr);
}

bool CameraTable::FindCameraByMac(const std::string& mac, std::string* ip, int* port) {
    if (!TryBeginBusy()) return false;
    bool found = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        std::uint8_t bytes[6];
        const auto entries = ParseMacText(Trim(mac), bytes) ? m_byMac.find(MacKeyOf(bytes)) : m_byMac.end();
        if (entries != m_byMac.end() && !entries->second.empty()) {
            const DeviceRecord& entry = m_entries[entries->second.front()];  // the first listed
            if (ip) *ip = Trim(platform::FieldString(entry.szIp));
            if (port) *port = entry.wPort;
            found = true;
        }
    }
    EndBusy();
    return found;
}

std::optional<std::vector<DeviceRecord>> CameraTable::SnapshotIfIdle() {
    if (!TryBeginBusy()) return std::nullopt;
    std::vector<DeviceRecord> copy = Entries();
    EndBusy();
    return copy;
}

std::size_t CameraTable::Count() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_entries.size();
}

std::vector<DeviceRecord> CameraTable::Entries() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_entries;
}

std::vector<CameraRow> CameraTable::Rows() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_rows;
}

int CameraTable::SelectedIndex() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_nSelected;
}

DeviceRecord CameraTable::SelectedRecord() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_selected;
}

std::optional<DeviceRecord> CameraTable::Entry(int index) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) return std::nullopt;
    return m_entries[static_cast<std::size_t>(index)];
}

}  // namespace orvex
