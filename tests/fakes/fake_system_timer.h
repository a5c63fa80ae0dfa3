#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "periodic_timer.h"
#include "ports/system_timer.h"

namespace clicker::testing {

// A repeating timer on a FakeClock. It records every Start and Stop, and can
// refuse to start, as a platform may: the call is recorded but never fires.
class FakeSystemTimer final : public SystemTimer {
public:
    explicit FakeSystemTimer(FakeClock& clock) : clock_(clock) {}

    // The component whose OnElapsed this timer calls.
    void Attach(PeriodicTimer& component) { component_ = &component; }

    void Start(std::int32_t periodMs) override {
        calls.push_back("Start(" + std::to_string(periodMs) + ")");
        Disarm();
        if (!refuseStart) {
            period_ = periodMs;
            Arm(clock_.Now() + periodMs);
        }
    }

    void Stop() override {
        calls.push_back("Stop");
        Disarm();
    }

    bool Armed() const { return pending_.has_value(); }

    std::vector<std::string> calls;
    bool refuseStart = false;

private:
    void Arm(std::int64_t when) {
        pending_ = clock_.ScheduleAt(when, [this, when] {
            Arm(when + period_);
            if (component_ != nullptr) {
                component_->OnElapsed();
            }
        });
    }

    void Disarm() {
        if (pending_) {
            clock_.Cancel(*pending_);
            pending_.reset();
        }
    }

    FakeClock& clock_;
    PeriodicTimer* component_ = nullptr;
    std::int32_t period_ = 0;
    std::optional<FakeClock::Handle> pending_;
};

}  // namespace clicker::testing
