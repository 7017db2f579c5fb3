#pragma once
#include <cstddef>
#include <string>

#include "discovery/DeviceRecord.h"

namespace orvex {

// The texts of one camera list row.
struct CameraRow {
    std::wstring mode;  // model letter
    std::wstring name;  // szName read as UTF-8
    std::wstring ip;
    std::wstring port;  // decimal
    bool operator==(const CameraRow&) const = default;
};

// What the camera table drives: the list rows, the count label and the pages.
// Called on the thread that changes the table (the user-interface thread).
class CameraTableView {
public:
    virtual ~CameraTableView() = default;
    virtual void InsertRow(std::size_t index, const CameraRow& row) = 0;
    virtual void DeleteRow(std::size_t index) = 0;
    virtual void ShowCameraCount(std::size_t count) = 0;
    // The selected camera, or null to clear the pages.
    virtual void ShowCamera(const DeviceRecord* record) = 0;
};

// A camera list without a screen: the table keeps the rows itself (tools, benchmarks).
class NullCameraTableView : public CameraTableView {
public:
    void InsertRow(std::size_t, const CameraRow&) override {}
    void DeleteRow(std::size_t) override {}
    void ShowCameraCount(std::size_t) override {}
    void ShowCamera(const DeviceRecord*) override {}
};

}  // namespace orvex
