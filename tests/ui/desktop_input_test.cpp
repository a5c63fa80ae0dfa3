#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/windows_desktop_input.h"
#include "window_test_support.h"

namespace clicker {
namespace {

using win32::WindowsDesktopInput;

struct FatalErrorRaised : std::runtime_error {
    explicit FatalErrorRaised(const std::wstring& text) : std::runtime_error("fatal"), message(text) {}
    std::wstring message;
};

// Ends the "process" by throwing, so a test can look at what was reported.
void ThrowFatal(const std::wstring& message) { throw FatalErrorRaised(message); }

TEST(DesktopInputKeyState, BindsGetAsyncKeyStateFromUser32ThroughTheList) {
    WindowsDesktopInput input(&ThrowFatal);
    EXPECT_EQ(input.KeyStateLibrary(), nullptr) << "nothing is bound before the first query";
    input.ReadKeyState(0x70);
    EXPECT_EQ(input.KeyStateLibrary(), GetModuleHandleW(L"user32.dll"));
    input.ReadKeyState(0x71);
    EXPECT_EQ(input.KeyStateLibrary(), GetModuleHandleW(L"user32.dll"));
    input.ReleaseKeyStateLibrary();
    EXPECT_EQ(input.KeyStateLibrary(), nullptr);
}

TEST(DesktopInputKeyState, LibrariesThatCannotBeLoadedOrLackTheFunctionAreSkipped) {
    WindowsDesktopInput input(&ThrowFatal, {"no-such-library.dll", "Gdi32.dll", "Shell32.dll", "User32.dll"});
    EXPECT_NO_THROW(input.ReadKeyState(0x70));
    EXPECT_EQ(input.KeyStateLibrary(), GetModuleHandleW(L"user32.dll"));
}

TEST(DesktopInputKeyState, NoLibraryWithTheFunctionIsAFatalErrorNamingIt) {
    WindowsDesktopInput input(&ThrowFatal, {"Kernel32.dll", "Gdi32.dll", "Advapi32.dll"});
    try {
        input.ReadKeyState(0x70);
        FAIL() << "expected a fatal error";
    } catch (const FatalErrorRaised& e) {
        EXPECT_EQ(e.message, L"无法找到指定DLL库文件中的输出命令“GetAsyncKeyState”");
    }
    EXPECT_EQ(input.KeyStateLibrary(), nullptr);
}

TEST(DesktopInputKeyState, DefaultListIsTheSixSystemLibrariesInOrder) {
    const std::vector<std::string> expected = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                               "Advapi32.dll", "Mpr.dll", "Shell32.dll"};
    EXPECT_EQ(WindowsDesktopInput::DefaultKeyStateLibraries(), expected);
}

TEST(DesktopInputPointer, ReadsThePointerAndClicksWhereItIs) {
    WindowsDesktopInput input(&ThrowFatal);
    ASSERT_TRUE(SetCursorPos(123, 456));
    EXPECT_EQ(input.ReadCursorX(), 123);
    EXPECT_EQ(input.ReadCursorY(), 456);
}

// A window that counts the button messages it receives.
struct ClickCounter {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_LBUTTONDOWN) {
            ++downs;
            lastDown = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        } else if (message == WM_LBUTTONUP) {
            ++ups;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    static inline int downs = 0;
    static inline int ups = 0;
    static inline POINT lastDown{};
};

TEST(DesktopInputPointer, LeftClickAtPressesAndReleasesOnceAtThePoint) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ClickCounter::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ClickCounterWindow";
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    const HWND target = CreateWindowExW(0, wc.lpszClassName, L"target", WS_POPUP | WS_VISIBLE, 100, 100,
                                        200, 200, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(target, nullptr);
    UpdateWindow(target);

    WindowsDesktopInput input(&ThrowFatal);
    input.LeftClickAt(150, 170);
    testing::RecordedProgram unused;  // a host to pump with
    EXPECT_TRUE(testing::PumpUntil(unused.host, [] { return ClickCounter::ups >= 1; }));
    EXPECT_EQ(ClickCounter::downs, 1);
    EXPECT_EQ(ClickCounter::ups, 1);
    EXPECT_EQ(ClickCounter::lastDown.x, 50);
    EXPECT_EQ(ClickCounter::lastDown.y, 70);
    POINT now;
    GetCursorPos(&now);
    EXPECT_EQ(now.x, 150);
    EXPECT_EQ(now.y, 170);
    DestroyWindow(target);
}

// Scripted answers of the pointer query.
struct ScriptedCursor {
    static BOOL WINAPI Query(LPPOINT point) {
        if (!succeed) {
            return FALSE;
        }
        *point = position;
        return TRUE;
    }
    static inline bool succeed = true;
    static inline POINT position{};
};

TEST(DesktopInputPointer, AFailedQueryGivesTheLastPositionRead) {
    WindowsDesktopInput input(&ThrowFatal, WindowsDesktopInput::DefaultKeyStateLibraries(), &ScriptedCursor::Query);
    ScriptedCursor::succeed = true;
    ScriptedCursor::position = {-640, 300};  // a monitor left of the primary one
    EXPECT_EQ(input.ReadCursorX(), -640);
    EXPECT_EQ(input.ReadCursorY(), 300);

    ScriptedCursor::succeed = false;
    EXPECT_EQ(input.ReadCursorX(), -640) << "never a made-up point such as 0,0";
    EXPECT_EQ(input.ReadCursorY(), 300);
}

TEST(DesktopInputPointer, NoClickBeforeThePointerWasEverSeen) {
    ASSERT_TRUE(SetCursorPos(321, 222));
    WindowsDesktopInput input(&ThrowFatal, WindowsDesktopInput::DefaultKeyStateLibraries(), &ScriptedCursor::Query);
    ScriptedCursor::succeed = false;
    const std::int32_t x = input.ReadCursorX();
    const std::int32_t y = input.ReadCursorY();
    input.LeftClickAt(x, y);
    POINT now;
    GetCursorPos(&now);
    EXPECT_EQ(now.x, 321) << "the pointer was not moved to an invented point";
    EXPECT_EQ(now.y, 222);

    ScriptedCursor::succeed = true;
    ScriptedCursor::position = {400, 300};
    input.LeftClickAt(input.ReadCursorX(), input.ReadCursorY());
    GetCursorPos(&now);
    EXPECT_EQ(now.x, 400) << "clicking resumes once the pointer is known";
}

}  // namespace
}  // namespace clicker
