// The platform's own limit for the clicker's cadence: one window timer and,
// at every WM_TIMER, the calls the clicker makes for one click (read the
// pointer, set it where it is, left button down and up there). Whatever this
// loop achieves, a program built on window timers cannot do better.
//
//   timer_loop.exe <interval ms> <clicks>
//
// The first click comes one interval after the start. The program ends after
// <clicks> clicks, or earlier at WM_CLOSE to its (hidden) window, whose class
// is BenchTimerLoop.

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {

constexpr wchar_t kClassName[] = L"BenchTimerLoop";
constexpr UINT_PTR kTimerId = 1;

long g_clicksLeft = 0;

void ClickWherePointerIs() {
    POINT point{};
    if (!GetCursorPos(&point)) {
        return;
    }
    SetCursorPos(point.x, point.y);
    const auto dx = static_cast<DWORD>(point.x);
    const auto dy = static_cast<DWORD>(point.y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, dx, dy, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, dx, dy, 0, 0);
}

LRESULT CALLBACK TimerLoopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        ClickWherePointerIs();
        if (--g_clicksLeft <= 0) {
            KillTimer(window, kTimerId);
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool ParsePositive(const wchar_t* text, long& value) {
    wchar_t* end = nullptr;
    value = std::wcstol(text, &end, 10);
    return end != text && *end == L'\0' && value > 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    long interval = 0;
    if (argv == nullptr || argc != 3 || !ParsePositive(argv[1], interval) ||
        !ParsePositive(argv[2], g_clicksLeft)) {
        return 2;
    }
    LocalFree(argv);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TimerLoopProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (RegisterClassW(&windowClass) == 0) {
        return 3;
    }
    // Never shown: the timer needs a window, not a visible one.
    HWND window = CreateWindowExW(0, kClassName, L"timer loop", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, instance, nullptr);
    if (window == nullptr || SetTimer(window, kTimerId, static_cast<UINT>(interval), nullptr) == 0) {
        return 4;
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
