#pragma once
#include <vector>

#include "discovery/CameraTable.h"

class QTableWidget;

namespace orvex {

class COrvexDlg;

// The camera list control, the count label and the pages, as the camera table drives them.
// Rows appended while the window handles a run of messages are added to the control in one
// step when the run is over (or before anything else touches the list), a sweep's
// removals of neighbouring rows are made in one step too, and the count label takes the
// last count, so thousands of replies or departures do not lay the window out thousands
// of times. Thread safety: the user-interface thread only.
class CameraListView : public CameraTableView {
public:
    explicit CameraListView(COrvexDlg* dialog) : m_dialog(dialog) {}
    void InsertRow(std::size_t index, const CameraRow& row) override;
    void DeleteRow(std::size_t index) override;
    // The count label shows the last count when the run of messages is over.
    void ShowCameraCount(std::size_t count) override;
    void ShowCamera(const DeviceRecord* record) override;
    // Makes the list control and the count label show every change so far.
    void Flush();

private:
    QTableWidget* List() const;
    void FlushRemovals();
    void FlushAppends();
    static void Fill(QTableWidget* list, int r, const CameraRow& row);

    COrvexDlg* m_dialog;
    std::vector<CameraRow> m_pending;  // rows appended, not yet in the control
    int m_removeFirst = 0;             // rows removed, not yet from the control
    int m_removeCount = 0;
    std::size_t m_count = 0;  // the count the label is to show
    bool m_countPending = false;
};

}  // namespace orvex
