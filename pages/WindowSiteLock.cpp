#include "pages/WindowSiteLock.h"

#include "platform/CodePage.h"
#include "resources/Resource.h"
#include "ui/UiLanguage.h"
#include "ui/UiServices.h"

namespace orvex {

WindowSiteLock& WindowSiteLock::Instance() {
    static WindowSiteLock lock;
    return lock;
}

bool WindowSiteLock::Take(const std::string& adapter, const std::string& holder) {
    const auto known = m_adapterOf.find(holder);
    if (known != m_adapterOf.end() && known->second != adapter) Give(holder);
    Held& held = m_byAdapter[adapter];
    if (!held.lock) {
        auto lock = std::make_unique<SiteLock>();
        std::string error;
        if (!lock->Acquire({adapter}, 0, nullptr, &error)) {
            m_byAdapter.erase(adapter);
            if (UiServices::Current()) {
                UiServices::Current()->MessageBox(
                    UiLanguage::Load(IDS_SITE_BUSY) + L"\n" + platform::CodePage::Utf8ToWide(error),
                    UiLanguage::Load(IDS_PROMPT), BoxIcon::kWarning);
            }
            return false;
        }
        held.lock = std::move(lock);
    }
    held.holders.insert(holder);
    m_adapterOf[holder] = adapter;
    return true;
}

void WindowSiteLock::Give(const std::string& holder) {
    const auto known = m_adapterOf.find(holder);
    if (known == m_adapterOf.end()) return;
    const auto held = m_byAdapter.find(known->second);
    m_adapterOf.erase(known);
    if (held == m_byAdapter.end()) return;
    held->second.holders.erase(holder);
    if (held->second.holders.empty()) m_byAdapter.erase(held);  // closes the lock's file
}

}  // namespace orvex
