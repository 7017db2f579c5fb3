#include "app/CameraListView.h"

#include <QTableWidget>

#include "app/OrvexDlg.h"
#include "resources/Resource.h"
#include "ui/UiLanguage.h"

namespace orvex {

QTableWidget* CameraListView::List() const {
    return m_dialog->ItemAs<QTableWidget>(IDC_CAMERA_LIST);
}

void CameraListView::InsertRow(std::size_t index, const CameraRow& row) {
    FlushRemovals();
    QTableWidget* list = List();
    if (index == static_cast<std::size_t>(list->rowCount()) + m_pending.size()) {
        m_pending.push_back(row);
        return;
    }
    FlushAppends();
    list->insertRow(static_cast<int>(index));
    Fill(list, static_cast<int>(index), row);
}

void CameraListView::DeleteRow(std::size_t index) {
    FlushAppends();
    // A sweep removes row i again and again while the rows after it move up; emptying
    // the list removes the last row each time.
    const int row = static_cast<int>(index);
    if (m_removeCount > 0 && (row == m_removeFirst || row == m_removeFirst - 1)) {
        m_removeFirst = row;
        ++m_removeCount;
        return;
    }
    FlushRemovals();
    m_removeFirst = row;
    m_removeCount = 1;
}

void CameraListView::ShowCameraCount(std::size_t count) {
    m_count = count;
    m_countPending = true;
}

void CameraListView::ShowCamera(const DeviceRecord* record) {
    m_dialog->ShowCamera(record);
}

void CameraListView::Flush() {
    FlushRemovals();
    FlushAppends();
    if (m_countPending) {
        m_countPending = false;
        m_dialog->ShowCameraCount(m_count);
    }
}

void CameraListView::FlushRemovals() {
    if (m_removeCount == 0) return;
    List()->model()->removeRows(m_removeFirst, m_removeCount);
    m_removeCount = 0;
}

void CameraListView::FlushAppends() {
    if (m_pending.empty()) return;
    QTableWidget* list = List();
    const int first = list->rowCount();
    list->setRowCount(first + static_cast<int>(m_pending.size()));
    for (std::size_t i = 0; i < m_pending.size(); ++i)
        Fill(list, first + static_cast<int>(i), m_pending[i]);
    m_pending.clear();
}

void CameraListView::Fill(QTableWidget* list, int r, const CameraRow& row) {
    const std::wstring cells[] = {row.mode, row.name, row.ip, row.port};
    for (int c = 0; c < 4; ++c) {
        auto* item = new QTableWidgetItem(ToQString(cells[c]));
        item->setData(Qt::UserRole, r);
        list->setItem(r, c, item);
    }
}

}  // namespace orvex
