#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "program_host.h"

namespace clicker::testing {

// Handles this thread's messages through the host until the condition holds
// or the time runs out; returns the condition's last value.
inline bool PumpUntil(ProgramHost& host, const std::function<bool()>& condition, DWORD timeoutMs = 3000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return condition();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        host.DispatchPending();
    }
    return true;
}

// Handles messages for a while, for checks that something does NOT happen.
inline void PumpFor(ProgramHost& host, DWORD ms) {
    PumpUntil(host, [] { return false; }, ms);
}

inline std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[512] = {};
    SendMessageW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

inline std::wstring ClassOf(HWND hwnd) {
    wchar_t buffer[128] = {};
    GetClassNameW(hwnd, buffer, 128);
    return buffer;
}

inline std::string Utf8(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), bytes, nullptr, nullptr);
    out.resize(out.empty() ? 0 : out.size() - 1);
    return out;
}

// A built and shown main window whose events are counted instead of reaching
// the click controller. The host's own suppression still applies.
class RecordedProgram {
public:
    RecordedProgram() : RecordedProgram([this](const std::wstring& text) { errorBoxes.push_back(text); }) {}
    explicit RecordedProgram(ProgramHost::ErrorBox errorBox)
        : host(std::move(errorBox), win32::WindowsDesktopInput::DefaultKeyStateLibraries()) {}

    bool Build() {
        if (!host.BuildMainWindow()) {
            return false;
        }
        window().BindHandlers({
            .windowCreated = [this] { events.push_back("created"); },
            .startClicked = [this] { events.push_back("start"); },
            .intervalChanged = [this] { events.push_back("changed"); },
            .pollTick = [this] { events.push_back("poll"); },
            .clickTick = [this] { events.push_back("click"); },
        });
        return PumpUntil(host, [this] { return GetFocus() == control(design::kId按钮1); });
    }

    MainWindow& window() { return *host.Window(); }
    HWND control(design::ControlId id) { return window().Control(id); }
    int Count(const std::string& event) const {
        int n = 0;
        for (const std::string& e : events) {
            n += e == event ? 1 : 0;
        }
        return n;
    }

    // Posts a key press to the focused control and lets the loop handle it.
    void PressKey(WPARAM key) {
        const HWND target = GetFocus();
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001U));
        host.DispatchPending();  // handles both before returning
    }

    std::vector<std::wstring> errorBoxes;
    std::vector<std::string> events;
    ProgramHost host;
};

// Holds modifier keys down in this thread's keyboard state.
class HeldModifiers {
public:
    explicit HeldModifiers(std::initializer_list<int> keys) {
        GetKeyboardState(saved_);
        BYTE state[256];
        GetKeyboardState(state);
        for (const int key : keys) {
            state[key] = 0x80;
        }
        SetKeyboardState(state);
    }
    ~HeldModifiers() { SetKeyboardState(saved_); }
    HeldModifiers(const HeldModifiers&) = delete;
    HeldModifiers& operator=(const HeldModifiers&) = delete;

private:
    BYTE saved_[256];
};

}  // namespace clicker::testing
