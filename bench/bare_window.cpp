// One empty window and nothing else: what any program with a window costs
// under the same Wine prefix. The benchmark sets the clicker's start-up time,
// CPU time and memory beside this program's.
//
//   bare_window.exe
//
// The window has the clicker's frame style, size and place (centred on the
// screen) but no controls, no timers and no text; it ends at WM_CLOSE.

#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"BenchBareWindow";
constexpr int kWidth = 380;
constexpr int kHeight = 280;

LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = BareWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassW(&windowClass) == 0) {
        return 1;
    }
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND window = CreateWindowExW(0, kClassName, L"bare window",
                                  WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y, kWidth, kHeight,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 2;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
