// A plain window that records every left-button press and release it gets,
// so that the end-to-end tests can count the clicker's clicks and time them.
//
//   click_target.exe <log file> <x> <y> <width> <height>
//
// The log starts with "ready pid=<id>" once the window is shown, then one
// line per event: "down <µs> <x> <y>" or "up <µs> <x> <y>", with a
// QueryPerformanceCounter time in microseconds and the screen point.
// Each line is written straight to the file so a reader sees it at once.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;
LARGE_INTEGER g_frequency{};

long long NowMicroseconds() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const long long f = g_frequency.QuadPart;
    return now.QuadPart / f * 1000000 + now.QuadPart % f * 1000000 / f;
}

void WriteLine(const std::string& line) {
    const std::string withEnd = line + "\n";
    DWORD written = 0;
    WriteFile(g_log, withEnd.data(), static_cast<DWORD>(withEnd.size()), &written, nullptr);
}

void LogButton(const char* what, HWND window, LPARAM lParam) {
    // The coordinates are signed 16-bit client values.
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &p);
    char line[96];
    std::snprintf(line, sizeof line, "%s %lld %ld %ld", what, NowMicroseconds(), p.x, p.y);
    WriteLine(line);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        // The clicks must not take the activation (and the keyboard) away
        // from the clicker, whose keys the tests press.
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
        LogButton("down", window, lParam);
        return 0;
    case WM_LBUTTONUP:
        LogButton("up", window, lParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool ParseInt(const wchar_t* text, int& value) {
    wchar_t* end = nullptr;
    const long parsed = std::wcstol(text, &end, 10);
    if (end == text || *end != L'\0') {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    if (argv == nullptr || argc != 6 || !ParseInt(argv[2], x) || !ParseInt(argv[3], y) ||
        !ParseInt(argv[4], width) || !ParseInt(argv[5], height)) {
        std::fputs("usage: click_target.exe <log file> <x> <y> <width> <height>\n", stderr);
        return 2;
    }
    g_log = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_log == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "click_target: cannot create the log (error %lu)\n", GetLastError());
        return 3;
    }
    QueryPerformanceFrequency(&g_frequency);

    // No CS_DBLCLKS: a second press soon after the first stays a plain
    // WM_LBUTTONDOWN instead of becoming WM_LBUTTONDBLCLK.
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TargetProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = L"ClickTargetWindow";
    if (RegisterClassW(&windowClass) == 0) {
        return 4;
    }
    HWND window = CreateWindowExW(WS_EX_NOACTIVATE, windowClass.lpszClassName, L"click target",
                                  WS_POPUP | WS_BORDER, x, y, width, height, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) {
        return 5;
    }
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    WriteLine("ready pid=" + std::to_string(GetCurrentProcessId()));

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseHandle(g_log);
    LocalFree(argv);
    return 0;
}
