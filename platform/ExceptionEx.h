#pragma once
#include <cstdint>

namespace platform {

// A platform fault (the kind the original system got as a structured exception),
// delivered as a C++ exception carrying the fault code.
struct CExceptionEx {
    std::uint32_t m_nCode;
};

// Named places where a platform fault can be raised on purpose, to prove the guards
// around them. Disarmed, a fault point costs one atomic load. Thread-safe.
class FaultPoints {
public:
    // The next pass through the point throws CExceptionEx with this code (once).
    static void Arm(const char* point, std::uint32_t code);
    static void DisarmAll();
    // Throws when armed for this point.
    static void Pass(const char* point);
};

}  // namespace platform
