#include "app/AboutDlg.h"

#include "ui/UiLanguage.h"

namespace orvex {

bool CAboutDlg::OnInitDialog() {
    SetWindowText(UiLanguage::Load(IDS_ABOUT_TITLE));
    SetItemText(IDOK, UiLanguage::Load(IDS_OK));
    return true;
}

}  // namespace orvex
