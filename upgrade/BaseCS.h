#pragma once
#include "platform/CriticalSection.h"

namespace orvex {

// A critical-section lock with Lock and Unlock.
class CBaseCS final {
public:
    ~CBaseCS() = default;
    virtual void Lock() { m_section.Enter(); }
    virtual void Unlock() { m_section.Leave(); }

private:
    platform::CriticalSection m_section;
};

}  // namespace orvex
