#include "app/ListExport.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

#include "discovery/CameraExport.h"
#include "discovery/CameraTable.h"
#include "platform/CodePage.h"
#include "resources/Resource.h"
#include "ui/UiServices.h"

namespace orvex {

bool ListExport::Run(CameraTable& table) {
    const std::wstring path = UiServices::Current()->SaveFileName(L"ipcam.txt", L"*.txt");
    if (path.empty()) return false;
    int failure = 0;
    if (WriteTo(table, path, &failure)) return true;
    WarningBox(failure);
    return false;
}

bool ListExport::WriteTo(CameraTable& table, const std::wstring& path, int* failure) {
    // The list first, so that a busy table never leaves an empty file behind.
    std::optional<std::vector<DeviceRecord>> entries = table.SnapshotIfIdle();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyWaitMs);
    while (!entries && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // a tick holds it for moments
        entries = table.SnapshotIfIdle();
    }
    if (!entries) {
        *failure = IDS_LIST_BUSY;
        return false;
    }
    const std::string lines = FormatExportLines(*entries);
    std::FILE* file = std::fopen(platform::CodePage::WideToOem(path).c_str(), "w+b");
    if (!file) {
        *failure = IDS_EXPORT_FAILED;
        return false;
    }
    const bool written = std::fwrite(lines.data(), 1, lines.size(), file) == lines.size();
    const bool closed = std::fflush(file) == 0 && std::fclose(file) == 0;
    if (!written || !closed) {
        *failure = IDS_EXPORT_FAILED;
        return false;
    }
    return true;
}

}  // namespace orvex
