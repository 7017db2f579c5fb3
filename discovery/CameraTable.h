#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "discovery/CameraLookup.h"
#include "discovery/CameraTableView.h"
#include "discovery/DeviceRecord.h"

namespace orvex {

// The cameras found on the current adapter, one entry per list row, with the merge and
// sweep rules of the camera list. A camera is its MAC bytes plus its IP text; an index
// finds a reply's entry, and a camera's first entry by MAC, in constant time. The table
// holds at most a limit of cameras (kMaxCameras, far above any real network): beyond it a
// new camera is not added until a sweep frees room, so a flood of spoofed replies cannot
// take the memory, and the cameras already listed keep being refreshed.
// Thread safety: changes come from one thread; FindCameraByMac may run on any thread and
// is mutually exclusive with every change. The busy flag keeps handlers from nesting:
// work that finds it set is skipped, as the list always did.
class CameraTable : public CameraLookup {
public:
    static constexpr std::size_t kMaxCameras = 20000;

    explicit CameraTable(CameraTableView* view, std::size_t limit = kMaxCameras)
        : m_view(view), m_limit(limit) {}

    static CameraRow RowOf(const DeviceRecord& record);

    // Merges one search reply; false when it was dropped because the table was busy.
    bool AddCamera(const DeviceRecord& record);
    // Removes cameras that did not answer since the last sweep and refreshes changed rows;
    // false when skipped because the table was busy.
    bool SweepCameras();
    // A click on the list: row index, or -1 for none.
    void Select(int row);
    // Empties the table (adapter change).
    void Clear();
    // Where the camera with this MAC text is now; false when not listed or busy.
    bool FindCameraByMac(const std::string& mac, std::string* ip, int* port) override;
    // Copies of all entries for an export; nullopt when the table is busy.
    std::optional<std::vector<DeviceRecord>> SnapshotIfIdle();

    std::size_t Count();
    std::vector<DeviceRecord> Entries();
    std::vector<CameraRow> Rows();
    int SelectedIndex();
    DeviceRecord SelectedRecord();
    // An entry by index; nullopt when out of range.
    std::optional<DeviceRecord> Entry(int index);

    // The busy flag: set while a handler works on the table (or a lookup by MAC runs);
    // false when it was set already. Exposed for the window's own handlers and tests.
    bool TryBeginBusy() { return m_busy.exchange(1) == 0; }
    void EndBusy() { m_busy = 0; }

private:
    void ShowCountLocked();
    void ClearSelectionLocked();
    // The fields a row was made from, as the camera sent them: a sweep compares these
    // bytes first and reads the texts only when they changed.
    struct RowSource {
        char name[80];
        char ip[16];
        std::uint16_t port;
        bool operator==(const RowSource&) const = default;
    };
    static RowSource SourceOf(const DeviceRecord& record);
    bool RowMatchesLocked(std::size_t i);
    // Whether a camera found by its native search reply has the address of `onvif`.
    bool NativeAtLocked(const DeviceRecord& onvif) const;
    void IndexEntryLocked(std::size_t i);
    void RebuildIndexLocked();

    // The merge key: MAC bytes, then the IP text up to its zero, zero-padded.
    using CameraKey = std::array<std::uint8_t, 6 + 16>;
    struct KeyHash {
        std::size_t operator()(const CameraKey& key) const;
    };
    static CameraKey KeyOf(const DeviceRecord& record);
    static std::uint64_t MacKeyOf(const std::uint8_t* mac);

    CameraTableView* m_view;
    const std::size_t m_limit;
    std::mutex m_lock;
    std::unordered_map<CameraKey, std::size_t, KeyHash> m_index;  // key -> entry
    std::unordered_map<std::uint64_t, std::vector<std::size_t>>
        m_byMac;  // MAC -> entries, ascending
    std::vector<DeviceRecord> m_entries;
    std::vector<CameraRow> m_rows;
    std::vector<RowSource> m_sources;  // one per row
    int m_nSelected = -1;
    DeviceRecord m_selected;
    std::atomic<int> m_busy{0};
};

}  // namespace orvex
