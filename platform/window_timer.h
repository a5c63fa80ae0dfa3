#pragma once

#include <windows.h>

#include <cstdint>

#include "base_window.h"
#include "periodic_timer.h"
#include "ports/system_timer.h"

namespace clicker::win32 {

// A timer component on Windows: an invisible child window that owns one
// window timer (id 1000) and ticks its PeriodicTimer on every WM_TIMER.
// The component is activated when the window is created and deactivated when
// it is destroyed, so a timer never outlives its window.
class WindowTimer final : private BaseWindow, private SystemTimer {
public:
    static constexpr UINT_PTR kTimerId = 1000;
    static constexpr wchar_t kClassName[] = L"ClickerTimerHost";

    explicit WindowTimer(std::int32_t designPeriodMs);
    ~WindowTimer() override = default;

    // Creates the host window at its design place; false if that fails.
    bool Create(HWND parent, int controlId, int x, int y, int width, int height);

    PeriodicTimer& Component() { return component_; }
    using BaseWindow::Handle;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void Start(std::int32_t periodMs) override;
    void Stop() override;

    PeriodicTimer component_;
};

}  // namespace clicker::win32
