#pragma once

#include <windows.h>

namespace clicker::win32 {

// One C++ object per window. `this` is bound to the window at WM_NCCREATE (it
// travels in the creation parameters) and unbound at WM_NCDESTROY, after which
// the object no longer holds a handle. The object owns its window: if the
// window still exists when the object goes, it is destroyed without calling
// back into the object.
//
// Neither copyable nor movable: the window holds this object's address.
class BaseWindow {
public:
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    HWND Handle() const { return hwnd_; }

protected:
    BaseWindow() = default;
    virtual ~BaseWindow();

    // Passes `this` as the creation parameter; returns the new window or null.
    HWND CreateBound(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menuOrId);

    // The window procedure of every class whose windows are BaseWindows.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Handles one message; DefWindowProcW for what it does not handle.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // Called at WM_NCDESTROY, the window's last message, after unbinding.
    virtual void OnFinalMessage() {}

    // Registers a window class for these objects once per process; false when
    // the class cannot be registered.
    static bool RegisterWindowClass(const wchar_t* className, HBRUSH background);

private:
    HWND hwnd_ = nullptr;
};

}  // namespace clicker::win32
