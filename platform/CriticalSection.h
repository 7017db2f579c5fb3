#pragma once
#include <mutex>

namespace platform {

// A recursive lock entered and left explicitly, like the platform's critical section.
class CriticalSection {
public:
    void Enter() { m_mutex.lock(); }
    void Leave() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

}  // namespace platform
