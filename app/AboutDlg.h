#pragma once
#include "resources/Resource.h"
#include "ui/CDialog.h"

namespace orvex {

// The About box: icon, version and OK.
class CAboutDlg : public CDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr) : CDialog(IDD_ABOUTBOX, parent) {}

protected:
    bool OnInitDialog() override;
};

}  // namespace orvex
