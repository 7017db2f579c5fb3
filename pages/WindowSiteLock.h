#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>

#include "fleet/SiteLock.h"

namespace orvex {

// The window's hold on the site lock (see SiteLock): Apply and One Key Set hold it for the
// adapter they send through until their set has ended, an upgrade for the adapter that
// reaches its camera until its run has ended. When another Orvex holds it, a box says so
// and the change is not begun. User-interface thread only.
class WindowSiteLock {
public:
    static WindowSiteLock& Instance();

    // Holds the lock of `adapter` for `holder` (what holds it: "set MAC", "smart upgrade");
    // true when held, false after the box.
    bool Take(const std::string& adapter, const std::string& holder);
    // `holder` has ended; the lock goes once nothing holds it. Unknown holders are ignored.
    void Give(const std::string& holder);

private:
    struct Held {
        std::unique_ptr<SiteLock> lock;
        std::set<std::string> holders;
    };
    std::map<std::string, Held> m_byAdapter;
    std::map<std::string, std::string> m_adapterOf;  // holder -> adapter
};

}  // namespace orvex
