#pragma once

#include <cstdint>
#include <functional>

#include "ports/system_timer.h"

namespace clicker {

// A timer component: one period in milliseconds (0 = stopped) and one Tick
// event, raised once per period while the period is above 0.
//
// Writing the period: negative becomes 0; the current value changes nothing
// (a running timer keeps its phase); any other value stops the system timer
// and, if above 0, starts it again, so the count restarts from the write.
class PeriodicTimer {
public:
    using TickHandler = std::function<void()>;

    // systemTimer is borrowed: it belongs to the same host as this component
    // and outlives it.
    PeriodicTimer(std::int32_t designPeriodMs, SystemTimer& systemTimer);

    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // The host exists on the platform: arm with the design period if above 0.
    void Activate();
    // The host is going away: disarm.
    void Deactivate();

    void SetPeriod(std::int32_t periodMs);
    std::int32_t GetPeriod() const;

    // Called by the system timer each time its period has elapsed.
    void OnElapsed();

    // The handler that Tick calls; it runs at once, on this thread.
    void SetTickHandler(TickHandler handler);

private:
    void Tick();

    std::int32_t period_;
    bool running_ = false;
    SystemTimer& systemTimer_;
    TickHandler tickHandler_;
};

}  // namespace clicker
