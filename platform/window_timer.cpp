#include "window_timer.h"

namespace clicker::win32 {

WindowTimer::WindowTimer(std::int32_t designPeriodMs)
    : component_(designPeriodMs, static_cast<SystemTimer&>(*this)) {}

bool WindowTimer::Create(HWND parent, int controlId, int x, int y, int width, int height) {
    // No background brush: the host is never shown and paints nothing.
    if (!RegisterWindowClass(kClassName, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)))) {
        return false;
    }
    return CreateBound(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, x, y, width,
                       height, parent,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId))) != nullptr;
}

LRESULT WindowTimer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const LRESULT result = DefWindowProcW(Handle(), message, wParam, lParam);
            if (result != -1) {
                component_.Activate();
            }
            return result;
        }
        case WM_TIMER: {
            // Whatever the id, and whether or not the component counts itself
            // running: one tick per WM_TIMER, no catch-up.
            const LRESULT result = DefWindowProcW(Handle(), message, wParam, lParam);
            component_.OnElapsed();
            return result;
        }
        case WM_DESTROY:
            component_.Deactivate();
            return 0;
        default:
            return DefWindowProcW(Handle(), message, wParam, lParam);
    }
}

void WindowTimer::Start(std::int32_t periodMs) {
    SetTimer(Handle(), kTimerId, static_cast<UINT>(periodMs), nullptr);
}

void WindowTimer::Stop() { KillTimer(Handle(), kTimerId); }

}  // namespace clicker::win32
