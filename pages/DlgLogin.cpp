#include "pages/DlgLogin.h"

#include <QTimer>

#include "platform/TextUtil.h"
#include "ui/UiLanguage.h"

namespace orvex {

bool CDlgLogin::OnInitDialog() {
    SetWindowText(UiLanguage::Load(153));
    SetItemText(1057, UiLanguage::Load(154));
    SetItemText(1058, UiLanguage::Load(155));
    SetItemText(1, UiLanguage::Load(156));
    SetItemText(2, UiLanguage::Load(157));
    SetItemText(1055, L"admin");
    // OK has the initial focus: Enter at once accepts "admin" with an empty password.
    QTimer::singleShot(0, this, [this] {
        if (QWidget* ok = Item(1)) ok->setFocus();
    });
    return true;
}

void CDlgLogin::OnOK() {
    m_strAccount = platform::Trim(ItemText(1055));
    m_strPassword = platform::Trim(ItemText(1056));
    EndDialog(1);
}

}  // namespace orvex
