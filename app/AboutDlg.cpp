#include "app/AboutDlg.h"

#include "ui/UiLanguage.h"

namespace orvex {

bool CAboutDlg::OnInitDialog() {
    SetWindowText(UiLanguage::Load(159));
    SetItemText(1, UiLanguage::Load(156));
    return true;
}

}  // namespace orvex
