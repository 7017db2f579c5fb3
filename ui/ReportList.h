#pragma once
#include <QTableWidget>

namespace orvex {

// The report-view list: grid lines, full-row selection of one row, movable columns. It
// reports a left click once the view has taken the click into its selection, so the row
// a handler reads is the row the user sees highlighted; a click beside every row clears
// the selection. Tab leaves the list instead of moving between its cells.
class ReportList : public QTableWidget {
    Q_OBJECT
public:
    explicit ReportList(QWidget* parent = nullptr);

signals:
    void Clicked();
    void DoubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace orvex
