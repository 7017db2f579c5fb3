#pragma once
#include <chrono>
#include <functional>

namespace orvextest {

// Runs the engine's clock `scale` times faster for the life of the object.
class ScopedTimeScale {
public:
    explicit ScopedTimeScale(double scale);
    ~ScopedTimeScale();

private:
    double m_previous;
};

// Polls the condition every millisecond until it holds or the real time-out passes.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace orvextest
