#pragma once
#include "ui/CDialog.h"

namespace orvex {

// The About box: icon, version and OK.
class CAboutDlg : public CDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr) : CDialog(100, parent) {}

protected:
    bool OnInitDialog() override;
};

}  // namespace orvex
