#include "platform/Clock.h"

#include <cstdlib>
#include <mutex>
#include <thread>

namespace platform {
namespace {

using Steady = std::chrono::steady_clock;

struct ClockState {
    std::mutex lock;
    Steady::time_point origin = Steady::now();  // real time of the last rebase
    double ticksAtOrigin = 0;                    // clock ms at the last rebase
    double scale = 1.0;
};

ClockState& State() {
    static ClockState state;
    return state;
}

double TicksNowLocked(ClockState& s) {
    const auto realMs =
        std::chrono::duration<double, std::milli>(Steady::now() - s.origin).count();
    return s.ticksAtOrigin + realMs * s.scale;
}

void RebaseLocked(ClockState& s, double ticks) {
    s.origin = Steady::now();
    s.ticksAtOrigin = ticks;
}

}  // namespace

DWORD Clock::TickCount() {
    ClockState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const auto ticks = static_cast<std::uint64_t>(TicksNowLocked(s));
    return static_cast<DWORD>(ticks & 0xFFFFFFFFu);
}

std::chrono::microseconds Clock::RealDuration(DWORD ms) {
    const double scale = TimeScale();
    return std::chrono::microseconds(static_cast<std::int64_t>(ms * 1000.0 / scale));
}

void Clock::Sleep(DWORD ms) { std::this_thread::sleep_for(RealDuration(ms)); }

void Clock::SetTimeScale(double scale) {
    if (scale <= 0) return;
    ClockState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    RebaseLocked(s, TicksNowLocked(s));
    s.scale = scale;
}

double Clock::TimeScale() {
    ClockState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.scale;
}

void Clock::SetTickCount(DWORD tick) {
    ClockState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    // Keep the high part so that the count only moves within the 32-bit window.
    const auto now = static_cast<std::uint64_t>(TicksNowLocked(s));
    RebaseLocked(s, static_cast<double>((now & ~std::uint64_t{0xFFFFFFFFu}) + tick));
}

double TimeScaleFromEnvironment() {
    const char* text = std::getenv("ORVEX_TIME_SCALE");
    if (!text) return 1.0;
    const double scale = std::strtod(text, nullptr);
    return scale >= 0.01 && scale <= 1000 ? scale : 1.0;
}

}  // namespace platform
