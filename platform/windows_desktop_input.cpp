#include "windows_desktop_input.h"

#include <utility>

namespace clicker::win32 {

namespace {
constexpr char kKeyStateFunctionName[] = "GetAsyncKeyState";
}

std::vector<std::string> WindowsDesktopInput::DefaultKeyStateLibraries() {
    return {"Kernel32.dll", "Gdi32.dll", "User32.dll", "Advapi32.dll", "Mpr.dll", "Shell32.dll"};
}

std::wstring MissingExportMessage(const std::string& functionName) {
    return L"无法找到指定DLL库文件中的输出命令“" + std::wstring(functionName.begin(), functionName.end()) +
           L"”";
}

WindowsDesktopInput::WindowsDesktopInput(FatalErrorHandler onFatalError,
                                         std::vector<std::string> keyStateLibraries,
                                         CursorQuery cursorQuery)
    : onFatalError_(std::move(onFatalError)),
      keyStateLibraries_(std::move(keyStateLibraries)),
      cursorQuery_(cursorQuery) {}

WindowsDesktopInput::KeyStateFunction WindowsDesktopInput::BindKeyState() {
    if (keyState_ != nullptr) {
        return keyState_;
    }
    for (const std::string& name : keyStateLibraries_) {
        UniqueLibrary library(LoadLibraryA(name.c_str()));
        if (!library) {
            continue;
        }
        // GetProcAddress gives a generic pointer; the export has this signature.
        if (const FARPROC address = GetProcAddress(library.Get(), kKeyStateFunctionName)) {
            keyState_ = reinterpret_cast<KeyStateFunction>(reinterpret_cast<void*>(address));
            keyStateLibrary_ = std::move(library);
            return keyState_;
        }
    }
    onFatalError_(MissingExportMessage(kKeyStateFunctionName));
    return nullptr;
}

std::int16_t WindowsDesktopInput::ReadKeyState(std::int32_t virtualKey) {
    const KeyStateFunction keyState = BindKeyState();
    return keyState != nullptr ? keyState(virtualKey) : std::int16_t{0};
}

POINT WindowsDesktopInput::QueryCursor() {
    POINT point{};
    if (cursorQuery_(&point)) {
        lastCursor_ = point;
        cursorKnown_ = true;
    } else if (!cursorKnown_) {
        suppressNextClick_ = true;
    }
    return lastCursor_;
}

std::int32_t WindowsDesktopInput::ReadCursorX() { return QueryCursor().x; }

std::int32_t WindowsDesktopInput::ReadCursorY() { return QueryCursor().y; }

void WindowsDesktopInput::LeftClickAt(std::int32_t x, std::int32_t y) {
    if (std::exchange(suppressNextClick_, false)) {
        return;  // the pointer has never been seen: there is no safe point
    }
    SetCursorPos(x, y);
    // Without MOUSEEVENTF_MOVE or _ABSOLUTE, dx and dy carry no motion: both
    // button events act where SetCursorPos put the pointer.
    const auto dx = static_cast<DWORD>(x);
    const auto dy = static_cast<DWORD>(y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, dx, dy, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, dx, dy, 0, 0);
}

void WindowsDesktopInput::ReleaseKeyStateLibrary() {
    keyState_ = nullptr;
    keyStateLibrary_.Reset();
}

}  // namespace clicker::win32
