#pragma once

#include <cstdint>

namespace clicker {

// The platform's repeating timer behind one PeriodicTimer. Whoever implements
// it calls the component's OnElapsed each time the period has elapsed.
class SystemTimer {
public:
    virtual ~SystemTimer() = default;

    // Arms a repeating timer, counted from this call; periodMs > 0.
    virtual void Start(std::int32_t periodMs) = 0;
    // Disarms it; no OnElapsed follows.
    virtual void Stop() = 0;

protected:
    SystemTimer() = default;
    SystemTimer(const SystemTimer&) = default;
    SystemTimer& operator=(const SystemTimer&) = default;
};

}  // namespace clicker
