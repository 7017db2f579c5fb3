#pragma once
#include <string>

#include "resources/Resource.h"
#include "ui/CDialog.h"

namespace orvex {

// Asks for the camera account and password before a change. On OK the two texts, trimmed,
// are in m_strAccount and m_strPassword.
class CDlgLogin : public CDialog {
    Q_OBJECT
public:
    explicit CDlgLogin(QWidget* parent = nullptr) : CDialog(IDD_LOGIN, parent) {}

    std::wstring m_strAccount;
    std::wstring m_strPassword;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};

}  // namespace orvex
