#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ports/desktop_input.h"
#include "win32_handles.h"

namespace clicker::win32 {

// The desktop through user32. GetAsyncKeyState is looked up by name at the
// first key query, in a fixed list of system libraries; the library that has
// it stays loaded until ReleaseKeyStateLibrary.
class WindowsDesktopInput final : public DesktopInput {
public:
    using FatalErrorHandler = std::function<void(const std::wstring& message)>;  // does not return
    using CursorQuery = BOOL(WINAPI*)(LPPOINT);

    // The libraries searched for GetAsyncKeyState, in this order.
    static std::vector<std::string> DefaultKeyStateLibraries();

    // onFatalError runs when no library has the key-state function; it must
    // end the process. The library list and the cursor query can be replaced
    // for tests.
    explicit WindowsDesktopInput(FatalErrorHandler onFatalError,
                                 std::vector<std::string> keyStateLibraries = DefaultKeyStateLibraries(),
                                 CursorQuery cursorQuery = &GetCursorPos);

    std::int16_t ReadKeyState(std::int32_t virtualKey) override;
    std::int32_t ReadCursorX() override;
    std::int32_t ReadCursorY() override;
    void LeftClickAt(std::int32_t x, std::int32_t y) override;

    // Frees the library that provided the key-state function, if any.
    void ReleaseKeyStateLibrary();

    // The library that provided the key-state function, or null.
    HMODULE KeyStateLibrary() const { return keyStateLibrary_.Get(); }

private:
    using KeyStateFunction = SHORT(WINAPI*)(int);

    KeyStateFunction BindKeyState();
    POINT QueryCursor();

    FatalErrorHandler onFatalError_;
    std::vector<std::string> keyStateLibraries_;
    CursorQuery cursorQuery_;
    UniqueLibrary keyStateLibrary_;
    KeyStateFunction keyState_ = nullptr;
    // A failed pointer query must not send a click to a made-up point: it
    // gives the last position read, and before any was read, no click at all.
    POINT lastCursor_{0, 0};
    bool cursorKnown_ = false;
    bool suppressNextClick_ = false;
};

// The message shown when no library provides a function looked up by name.
std::wstring MissingExportMessage(const std::string& functionName);

}  // namespace clicker::win32
