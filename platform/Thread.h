#pragma once
#include <atomic>
#include <functional>
#include <thread>

#include "platform/Message.h"

namespace platform {

// A worker thread with an id that thread messages can be posted to and an exit code
// that reads kStillActive (259) while it runs. Start and Join are for the owner's
// thread; Id and ExitCode may be read from any thread.
class Thread {
public:
    using Procedure = std::function<DWORD()>;
    // Receives each message still queued when the thread has ended (to free heap blocks).
    using LeftoverHandler = std::function<void(const Message&)>;

    Thread() = default;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    virtual ~Thread();

    // Starts the procedure on a new thread; false when the thread cannot be created.
    bool Start(Procedure procedure, LeftoverHandler leftovers = {});
    DWORD Id() const { return m_id.load(); }
    DWORD ExitCode() const { return m_exitCode.load(); }
    bool Joinable() const { return m_thread.joinable(); }
    // Waits without a time limit for the thread to end.
    void Join();
    // Threads started and not yet joined, across the process (tests check that closing
    // a window leaves none of its threads behind).
    static int LiveCount();
    // For tests: of the starts made from the calling thread, after `after` more succeed,
    // the next `count` fail as if the system had refused a thread.
    static void RefuseStarts(int after, int count);

private:
    std::thread m_thread;
    std::atomic<DWORD> m_id{0};
    std::atomic<DWORD> m_exitCode{kStillActive};
};

}  // namespace platform
