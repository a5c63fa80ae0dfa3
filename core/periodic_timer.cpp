#include "periodic_timer.h"

#include <utility>

namespace clicker {

PeriodicTimer::PeriodicTimer(std::int32_t designPeriodMs, SystemTimer& systemTimer)
    : period_(designPeriodMs), systemTimer_(systemTimer) {}

void PeriodicTimer::Activate() {
    if (period_ > 0) {
        systemTimer_.Start(period_);
        running_ = true;
    }
}

void PeriodicTimer::Deactivate() {
    if (running_) {
        systemTimer_.Stop();
        running_ = false;
    }
}

void PeriodicTimer::SetPeriod(std::int32_t periodMs) {
    if (periodMs < 0) {
        periodMs = 0;
    }
    if (periodMs == period_) {
        return;  // keeps a running timer's phase
    }
    period_ = periodMs;
    if (running_) {
        systemTimer_.Stop();
    }
    // The platform's answer is not looked at: a refused start leaves the
    // component counting itself running, and only a different period retries.
    running_ = period_ > 0;
    if (running_) {
        systemTimer_.Start(period_);
    }
}

std::int32_t PeriodicTimer::GetPeriod() const { return period_; }

void PeriodicTimer::OnElapsed() { Tick(); }

void PeriodicTimer::SetTickHandler(TickHandler handler) { tickHandler_ = std::move(handler); }

void PeriodicTimer::Tick() {
    if (tickHandler_) {
        tickHandler_();
    }
}

}  // namespace clicker
