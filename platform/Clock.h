#pragma once
#include <chrono>

#include "platform/Types.h"

namespace platform {

// The one clock behind every tick count and sleep of the engine. Tests may run it
// faster (a time scale): a 2000 ms wait stays 2000 ticks but passes in 2000/scale
// real milliseconds. Thread-safe.
class Clock {
public:
    // Milliseconds since the clock's start, 32-bit, wrapping like the platform's tick.
    static DWORD TickCount();
    // Sleeps for the given number of clock milliseconds.
    static void Sleep(DWORD ms);
    // Real duration of the given number of clock milliseconds.
    static std::chrono::microseconds RealDuration(DWORD ms);
    // Runs the clock `scale` times faster than real time (1 = real time).
    static void SetTimeScale(double scale);
    static double TimeScale();
    // Makes the tick count jump so that it reads `tick` now (to test wrapping).
    static void SetTickCount(DWORD tick);
};

// ORVEX_TIME_SCALE from the environment (demos and tests run the clock faster), else 1.
double TimeScaleFromEnvironment();

}  // namespace platform
