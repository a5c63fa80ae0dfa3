// Looks at the running clicker from outside, as another process under the same
// Wine prefix, and acts on it the way a test needs. The main window is found
// by its class and title.
//
//   probe.exe wait-window <timeout ms>   hwnd, pid, tid once the window exists
//   probe.exe gone <timeout ms>          waits until the window no longer exists; prints when
//                                        (QueryPerformanceCounter µs, the click target's clock)
//   probe.exe rect                       window rectangle and client area, screen coordinates
//   probe.exe exstyle                    style bits and the topmost flag
//   probe.exe children                   one line per child: id, class, client rect, visible, text
//   probe.exe focus                      the control that has the keyboard focus
//   probe.exe gettext <id>               text of a child control
//   probe.exe settext <id> <text>        WM_SETTEXT to a child control
//   probe.exe click <id>                 BM_CLICK to a child button
//   probe.exe hittest <x> <y>            WM_NCHITTEST at a screen point
//   probe.exe find-hit <code>            bounds and centre of the frame area with that hit code
//   probe.exe screen                     size of the primary screen
//   probe.exe kill <pid>                 ends a process the test started
//
// Output is key=value lines in UTF-8; a child's fields are separated by tabs,
// and in texts a backslash, tab, CR or LF is written as \\, \t, \r or \n.
// Exit codes: 0 done, 1 timed out, 2 bad usage, 3 no window, 4 the call failed.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <iterator>
#include <string>
#include <vector>

#include "window_design.h"

namespace {

namespace design = clicker::design;

constexpr UINT kMessageTimeoutMs = 5000;
constexpr DWORD kPollMs = 20;

enum ExitCode : int { kOk = 0, kTimedOut = 1, kUsage = 2, kNoWindow = 3, kFailed = 4 };

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::string Escaped(const std::wstring& text) {
    std::string out;
    for (const char c : Utf8(text)) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c; break;
        }
    }
    return out;
}

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", value);
    return text;
}

HWND FindMainWindow() {
    return FindWindowW(design::kMainWindowClass, design::kWindowTitle);
}

// Another process's window text: GetWindowTextW does not send WM_GETTEXT
// across processes, so ask the window itself.
bool WindowText(HWND window, std::wstring& text) {
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                            &length) == 0) {
        return false;
    }
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                            SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied) == 0) {
        return false;
    }
    text.assign(buffer.data(), copied);
    return true;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

bool ParseNumber(const wchar_t* text, long& value) {
    wchar_t* end = nullptr;
    value = std::wcstol(text, &end, 10);
    return end != text && *end == L'\0';
}

int WaitWindow(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND window = FindMainWindow()) {
            DWORD pid = 0;
            const DWORD tid = GetWindowThreadProcessId(window, &pid);
            Print("hwnd=" + Hex(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window))));
            Print("pid=" + std::to_string(pid));
            Print("tid=" + std::to_string(tid));
            return kOk;
        }
        if (GetTickCount64() >= deadline) {
            break;
        }
        Sleep(kPollMs);
    }
    // Say what is there instead, which usually names the fault.
    if (HWND sameClass = FindWindowW(design::kMainWindowClass, nullptr)) {
        std::wstring title;
        WindowText(sameClass, title);
        Print("found_class_with_title=" + Escaped(title));
    }
    Print("error=timed out");
    return kTimedOut;
}

long long NowMicroseconds() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    const long long f = frequency.QuadPart;
    return now.QuadPart / f * 1000000 + now.QuadPart % f * 1000000 / f;
}

int WaitGone(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (FindMainWindow() != nullptr) {
        if (GetTickCount64() >= deadline) {
            Print("error=timed out");
            return kTimedOut;
        }
        Sleep(kPollMs);
    }
    Print("gone_us=" + std::to_string(NowMicroseconds()));
    return kOk;
}

void PrintRect(const char* prefix, const RECT& r) {
    Print(std::string(prefix) + "left=" + std::to_string(r.left));
    Print(std::string(prefix) + "top=" + std::to_string(r.top));
    Print(std::string(prefix) + "right=" + std::to_string(r.right));
    Print(std::string(prefix) + "bottom=" + std::to_string(r.bottom));
}

int Rect(HWND window) {
    RECT outer{};
    RECT client{};
    if (!GetWindowRect(window, &outer) || !GetClientRect(window, &client)) {
        return kFailed;
    }
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    PrintRect("", outer);
    PrintRect("client_", client);
    return kOk;
}

int ExStyle(HWND window) {
    const auto style = static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE));
    const auto exStyle = static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE));
    Print("style=" + Hex(style));
    Print("exstyle=" + Hex(exStyle));
    Print(std::string("topmost=") + ((exStyle & WS_EX_TOPMOST) != 0 ? "1" : "0"));
    Print(std::string("visible=") + ((style & WS_VISIBLE) != 0 ? "1" : "0"));
    return kOk;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

int Children(HWND window) {
    std::vector<HWND> all;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&all));
    for (HWND child : all) {
        // Only the window's own controls; a control's inner windows, if any,
        // are its own business.
        if (GetAncestor(child, GA_PARENT) != window) {
            continue;
        }
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const auto style = static_cast<unsigned long>(GetWindowLongW(child, GWL_STYLE));
        std::wstring text;
        const bool hasText = WindowText(child, text);
        Print("id=" + std::to_string(GetDlgCtrlID(child)) + "\tclass=" + Escaped(ClassName(child)) +
              "\tleft=" + std::to_string(r.left) + "\ttop=" + std::to_string(r.top) +
              "\twidth=" + std::to_string(r.right - r.left) +
              "\theight=" + std::to_string(r.bottom - r.top) +
              "\tvisible=" + ((style & WS_VISIBLE) != 0 ? "1" : "0") +
              "\ttext=" + (hasText ? Escaped(text) : "\\<no answer>"));
    }
    return kOk;
}

int Focus(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        return kFailed;
    }
    std::string where = "none";
    if (info.hwndFocus == window) {
        where = "window";
    } else if (info.hwndFocus != nullptr && IsChild(window, info.hwndFocus)) {
        where = "child";
    } else if (info.hwndFocus != nullptr) {
        where = "other";
    }
    Print("focus=" + where);
    Print("focus_id=" + std::to_string(where == "child" ? GetDlgCtrlID(info.hwndFocus) : 0));
    Print("focus_class=" + (info.hwndFocus != nullptr ? Escaped(ClassName(info.hwndFocus)) : ""));
    Print(std::string("active=") + (info.hwndActive == window ? "1" : "0"));
    Print(std::string("foreground=") + (GetForegroundWindow() == window ? "1" : "0"));
    return kOk;
}

HWND Child(HWND window, const wchar_t* idText) {
    long id = 0;
    if (!ParseNumber(idText, id)) {
        return nullptr;
    }
    return GetDlgItem(window, static_cast<int>(id));
}

int GetText(HWND window, const wchar_t* idText) {
    HWND child = Child(window, idText);
    std::wstring text;
    if (child == nullptr || !WindowText(child, text)) {
        return kFailed;
    }
    Print("text=" + Escaped(text));
    return kOk;
}

int SetText(HWND window, const wchar_t* idText, const wchar_t* text) {
    HWND child = Child(window, idText);
    DWORD_PTR result = 0;
    if (child == nullptr ||
        SendMessageTimeoutW(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                            kMessageTimeoutMs, &result) == 0 ||
        result == 0) {
        return kFailed;
    }
    Print("set=1");
    return kOk;
}

int Click(HWND window, const wchar_t* idText) {
    HWND child = Child(window, idText);
    DWORD_PTR result = 0;
    if (child == nullptr ||
        SendMessageTimeoutW(child, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result) == 0) {
        return kFailed;
    }
    Print("clicked=1");
    return kOk;
}

bool AskHitTest(HWND window, long x, long y, long& hit) {
    const auto packed = (static_cast<unsigned long>(y) & 0xFFFFu) << 16 |
                        (static_cast<unsigned long>(x) & 0xFFFFu);
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, WM_NCHITTEST, 0, static_cast<LPARAM>(packed), SMTO_ABORTIFHUNG,
                            kMessageTimeoutMs, &answer) == 0) {
        return false;
    }
    hit = static_cast<long>(answer);
    return true;
}

int HitTest(HWND window, long x, long y) {
    long hit = 0;
    if (!AskHitTest(window, x, y, hit)) {
        return kFailed;
    }
    Print("hit=" + std::to_string(hit));
    return kOk;
}

// The window answers for itself where its frame and caption buttons are,
// whatever the frame metrics. Only the area outside the client rectangle is
// scanned, every other pixel: fine enough for buttons many pixels wide, and
// each question is a message to another process.
int FindHit(HWND window, long code) {
    RECT outer{};
    RECT client{};
    if (!GetWindowRect(window, &outer) || !GetClientRect(window, &client)) {
        return kFailed;
    }
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT found{outer.right, outer.bottom, outer.left, outer.top};
    long count = 0;
    for (long y = outer.top; y < outer.bottom; y += 2) {
        for (long x = outer.left; x < outer.right; x += 2) {
            if (x >= client.left && x < client.right && y >= client.top && y < client.bottom) {
                continue;
            }
            long hit = 0;
            if (!AskHitTest(window, x, y, hit)) {
                return kFailed;
            }
            if (hit == code) {
                ++count;
                found.left = std::min(found.left, x);
                found.top = std::min(found.top, y);
                found.right = std::max(found.right, x + 1);
                found.bottom = std::max(found.bottom, y + 1);
            }
        }
    }
    if (count == 0) {
        Print("error=no such area");
        return kFailed;
    }
    PrintRect("", found);
    Print("x=" + std::to_string((found.left + found.right) / 2));
    Print("y=" + std::to_string((found.top + found.bottom) / 2));
    Print("points=" + std::to_string(count));
    return kOk;
}

int Screen() {
    Print("width=" + std::to_string(GetSystemMetrics(SM_CXSCREEN)));
    Print("height=" + std::to_string(GetSystemMetrics(SM_CYSCREEN)));
    return kOk;
}

int Kill(long pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        Print("error=no such process");
        return kFailed;
    }
    const bool ended = TerminateProcess(process, 1) &&
                       WaitForSingleObject(process, kMessageTimeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    if (!ended) {
        return kFailed;
    }
    Print("killed=1");
    return kOk;
}

int Usage() {
    std::fputs("usage: probe.exe wait-window <ms> | gone <ms> | rect | exstyle | children | focus |"
               " gettext <id> | settext <id> <text> | click <id> | hittest <x> <y> |"
               " find-hit <code> | screen | kill <pid>\n",
               stderr);
    return kUsage;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 2) {
        return Usage();
    }
    const std::wstring command = argv[1];
    long a = 0;
    long b = 0;
    if (command == L"wait-window" || command == L"gone") {
        if (argc != 3 || !ParseNumber(argv[2], a) || a < 0) {
            return Usage();
        }
        return command == L"gone" ? WaitGone(static_cast<DWORD>(a)) : WaitWindow(static_cast<DWORD>(a));
    }
    if (command == L"screen") {
        return Screen();
    }
    if (command == L"kill") {
        return argc == 3 && ParseNumber(argv[2], a) ? Kill(a) : Usage();
    }

    // The rest act on the window: check the words before looking for it.
    struct WindowCommand {
        const wchar_t* name;
        int argc;
    };
    static constexpr WindowCommand kWindowCommands[] = {
        {L"rect", 2},    {L"exstyle", 2}, {L"children", 2}, {L"focus", 2},    {L"gettext", 3},
        {L"settext", 4}, {L"click", 3},   {L"hittest", 4},  {L"find-hit", 3},
    };
    const bool known =
        std::any_of(std::begin(kWindowCommands), std::end(kWindowCommands),
                    [&](const WindowCommand& c) { return command == c.name && argc == c.argc; });
    if (!known) {
        return Usage();
    }
    HWND window = FindMainWindow();
    if (window == nullptr) {
        Print("error=no window");
        return kNoWindow;
    }
    if (command == L"rect") {
        return Rect(window);
    }
    if (command == L"exstyle") {
        return ExStyle(window);
    }
    if (command == L"children") {
        return Children(window);
    }
    if (command == L"focus") {
        return Focus(window);
    }
    if (command == L"gettext") {
        return GetText(window, argv[2]);
    }
    if (command == L"settext") {
        return SetText(window, argv[2], argv[3]);
    }
    if (command == L"click") {
        return Click(window, argv[2]);
    }
    if (command == L"hittest" && ParseNumber(argv[2], a) && ParseNumber(argv[3], b)) {
        return HitTest(window, a, b);
    }
    if (command == L"find-hit" && ParseNumber(argv[2], a)) {
        return FindHit(window, a);
    }
    return Usage();
}

}  // namespace

int main() {
    // Plain "\n" line ends for the reader on the Linux side.
    _setmode(_fileno(stdout), _O_BINARY);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) {
        return kUsage;
    }
    const int code = Run(argc, argv);
    LocalFree(argv);
    std::fflush(stdout);
    return code;
}
