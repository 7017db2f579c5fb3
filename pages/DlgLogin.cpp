#include "pages/DlgLogin.h"

#include <QTimer>

#include "platform/TextUtil.h"
#include "resources/Resource.h"
#include "ui/UiLanguage.h"

namespace orvex {

bool CDlgLogin::OnInitDialog() {
    SetWindowText(UiLanguage::Load(IDS_LOGIN_TITLE));
    SetItemText(IDC_LOGIN_ACCOUNT_LABEL, UiLanguage::Load(IDS_ACCOUNT));
    SetItemText(IDC_LOGIN_PASSWORD_LABEL, UiLanguage::Load(IDS_PASSWORD));
    SetItemText(IDOK, UiLanguage::Load(IDS_OK));
    SetItemText(IDCANCEL, UiLanguage::Load(IDS_CANCEL));
    SetItemText(IDC_LOGIN_ACCOUNT, L"admin");
    // OK has the initial focus: Enter at once accepts "admin" with an empty password.
    QTimer::singleShot(0, this, [this] {
        if (QWidget* ok = Item(IDOK)) ok->setFocus();
    });
    return true;
}

void CDlgLogin::OnOK() {
    m_strAccount = platform::Trim(ItemText(IDC_LOGIN_ACCOUNT));
    m_strPassword = platform::Trim(ItemText(IDC_LOGIN_PASSWORD));
    EndDialog(IDOK);
}

}  // namespace orvex
