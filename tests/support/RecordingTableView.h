#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "discovery/CameraTableView.h"
#include "platform/CodePage.h"

namespace orvextest {

// A camera list that keeps its rows and notes every call, as the list control would see them.
class RecordingTableView : public orvex::CameraTableView {
public:
    void InsertRow(std::size_t index, const orvex::CameraRow& row) override {
        std::lock_guard<std::mutex> guard(m_lock);
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(index), row);
        calls.push_back("insert " + std::to_string(index) + " " +
                        platform::CodePage::WideToUtf8(row.name));
    }
    void DeleteRow(std::size_t index) override {
        std::lock_guard<std::mutex> guard(m_lock);
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
        calls.push_back("delete " + std::to_string(index));
    }
    void ShowCameraCount(std::size_t count) override {
        std::lock_guard<std::mutex> guard(m_lock);
        shownCount = count;
    }
    void ShowCamera(const orvex::DeviceRecord* record) override {
        std::lock_guard<std::mutex> guard(m_lock);
        shown = record ? std::string(record->szIp) : std::string("none");
        calls.push_back("show " + shown);
    }
    std::vector<std::string> TakeCalls() {
        std::lock_guard<std::mutex> guard(m_lock);
        auto taken = calls;
        calls.clear();
        return taken;
    }

    std::mutex m_lock;
    std::vector<orvex::CameraRow> rows;
    std::vector<std::string> calls;
    std::size_t shownCount = 0;
    std::string shown = "none";
};

}  // namespace orvextest
