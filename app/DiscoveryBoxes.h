#pragma once
#include <memory>

#include "discovery/DiscoveryControl.h"

namespace orvex {

// The boxes that discovery results open in the main window: a failed search (string 122)
// and a set reply (123, 124 or 125). At most one box of each kind is open at a time, since
// each runs an event loop of its own inside the one before it: a failed search that comes
// while its box is open is merged into it (it says the same), and a set reply that comes
// while a set box is open is kept and the newest one shown once that box closes. Every
// other message keeps flowing while a box is open.
// Thread safety: the user-interface thread only.
class DiscoveryBoxes {
public:
    DiscoveryBoxes() : m_state(std::make_shared<State>()) {}
    // Shows the box this outcome asks for, if any.
    void Show(const DiscoveryOutcome& outcome);

private:
    // Shared with a box still open, so that a window destroyed meanwhile is no matter.
    struct State {
        bool searchBoxOpen = false;
        bool setBoxOpen = false;
        int pendingSetCode = 0;  // 0: none
    };

    std::shared_ptr<State> m_state;
};

}  // namespace orvex
