#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "ui/UiServices.h"

namespace orvex {

// Message boxes that a worker or tick thread asks for on behalf of one window. The box is
// shown on the user-interface thread while the asking thread waits for the answer. The
// window withdraws its boxes before it joins such a thread, so the join never waits on a
// box: a waiting thread gets kIdCancel at once, and a box not yet on screen never shows.
// Thread safety: Show on any thread other than the user-interface thread; Withdraw and
// Reopen on the window's thread.
class WorkerBox {
public:
    WorkerBox();
    // Shows the box and returns the answer (kIdOk or kIdCancel); kIdCancel when withdrawn.
    int Show(const std::wstring& text, const std::wstring& caption, BoxIcon icon);
    // Releases a waiting Show; later calls return kIdCancel until Reopen.
    void Withdraw();
    // Accepts boxes again (a new run starts).
    void Reopen();

private:
    struct State {
        std::mutex lock;
        std::condition_variable changed;
        bool withdrawn = false;
        unsigned generation = 0;  // advanced by each Withdraw
    };
    struct Request {
        bool done = false;
        int answer = kIdCancel;
        unsigned generation = 0;
    };
    std::shared_ptr<State> m_state;
};

}  // namespace orvex
