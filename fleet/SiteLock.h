#pragma once
#include <atomic>
#include <string>
#include <vector>

namespace orvex {

// One Orvex at a time changes the cameras on an adapter: orvexctl set and upgrade, and
// the window's Apply, One Key Set and upgrades, each hold the lock of the adapters they
// send through while they do (a file per adapter address in $XDG_RUNTIME_DIR/orvex/, else
// in the state folder, locked with flock, so a lock left by a process that died is free
// at once). The holder's process id is written in the file for the message of whoever
// waits. Not for several threads at once.
class SiteLock {
public:
    SiteLock() = default;
    ~SiteLock() { Release(); }
    SiteLock(const SiteLock&) = delete;
    SiteLock& operator=(const SiteLock&) = delete;

    // Takes the lock of every address in `adapters` (in sorted order), waiting up to
    // `seconds` (0: one try) for whoever holds one, and giving up early when `stop` is set.
    // False with "another Orvex is changing cameras on ADAPTER (pid N)", or why the lock
    // file cannot be used; nothing is held then.
    bool Acquire(std::vector<std::string> adapters, double seconds, const std::atomic<int>* stop,
                 std::string* error);
    void Release();
    bool Held() const { return !m_fds.empty(); }
    // Whether `adapter` is among those held.
    bool Holds(const std::string& adapter) const;

    static std::string Folder();

private:
    std::vector<int> m_fds;
    std::vector<std::string> m_adapters;
};

}  // namespace orvex
