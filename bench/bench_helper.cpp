// Starts, watches and closes Windows programs for the benchmark scripts, from
// inside the same Wine prefix.
//
//   bench_helper.exe start <timeout ms> <window class> visible|any <program> [arguments...]
//       Starts the program and waits until it has a top-level window of that
//       class (shown, for "visible"). Prints pid=<id>, then window_us=<µs from
//       just before CreateProcessW to the window seen>. The program goes on
//       running.
//   bench_helper.exe close <pid> <timeout ms>
//       Posts WM_CLOSE to every top-level window of the process and waits for
//       it to end; ends it with TerminateProcess if it has not by then.
//       Prints ended=closed or ended=terminated.
//   bench_helper.exe guiobjects <pid>
//       The process's GDI and USER object counts (GetGuiResources), each with
//       the error code GetLastError gave, its kernel handle count
//       (GetProcessHandleCount) and the number of windows it owns, top-level
//       and child.
//
// Output is key=value lines. Exit codes: 0 done, 1 timed out, 2 bad usage,
// 4 a call failed.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

namespace {

enum ExitCode : int { kOk = 0, kTimedOut = 1, kUsage = 2, kFailed = 4 };

constexpr DWORD kStartPollMs = 2;
constexpr DWORD kClosePollMs = 20;

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string Ascii(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    }
    return out;
}

bool ParseNumber(const wchar_t* text, long& value) {
    wchar_t* end = nullptr;
    value = std::wcstol(text, &end, 10);
    return end != text && *end == L'\0' && value >= 0;
}

long long NowMicroseconds() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    const long long f = frequency.QuadPart;
    return now.QuadPart / f * 1000000 + now.QuadPart % f * 1000000 / f;
}

// One word of a command line, quoted when it holds a blank. The words given
// here (paths and numbers) hold no quotes of their own.
std::wstring CommandWord(const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t") == std::wstring::npos) {
        return word;
    }
    return L"\"" + word + L"\"";
}

struct WindowQuery {
    DWORD pid;
    const wchar_t* className;
    bool mustBeVisible;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM queryAddress) {
    auto& query = *reinterpret_cast<WindowQuery*>(queryAddress);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != query.pid) {
        return TRUE;
    }
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    if (std::wcscmp(name, query.className) != 0 || (query.mustBeVisible && !IsWindowVisible(window))) {
        return TRUE;
    }
    query.found = window;
    return FALSE;
}

int Start(DWORD timeoutMs, const wchar_t* className, bool mustBeVisible, int argc, wchar_t** argv) {
    std::wstring line;
    for (int i = 0; i < argc; ++i) {
        if (i > 0) {
            line += L' ';
        }
        line += CommandWord(argv[i]);
    }
    std::vector<wchar_t> commandLine(line.begin(), line.end());
    commandLine.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const long long startedUs = NowMicroseconds();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        Print("error=CreateProcessW failed (" + std::to_string(GetLastError()) + ")");
        return kFailed;
    }
    CloseHandle(process.hThread);
    Print("pid=" + std::to_string(process.dwProcessId));

    const long long deadlineUs = startedUs + static_cast<long long>(timeoutMs) * 1000;
    WindowQuery query{process.dwProcessId, className, mustBeVisible, nullptr};
    for (;;) {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
        const long long nowUs = NowMicroseconds();
        if (query.found != nullptr) {
            Print("window_us=" + std::to_string(nowUs - startedUs));
            CloseHandle(process.hProcess);
            return kOk;
        }
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            Print("error=the program ended with exit code " + std::to_string(code) +
                  " before its window appeared");
            CloseHandle(process.hProcess);
            return kFailed;
        }
        if (nowUs >= deadlineUs) {
            Print("error=timed out waiting for a window of class " + Ascii(className));
            CloseHandle(process.hProcess);
            return kTimedOut;
        }
        Sleep(kStartPollMs);
    }
}

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectOwnWindow(HWND window, LPARAM listAddress) {
    auto& list = *reinterpret_cast<ProcessWindows*>(listAddress);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == list.pid) {
        list.windows.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CountChild(HWND, LPARAM countAddress) {
    ++*reinterpret_cast<long*>(countAddress);
    return TRUE;
}

ProcessWindows TopLevelWindows(DWORD pid) {
    ProcessWindows list{pid, {}};
    EnumWindows(CollectOwnWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

int Close(DWORD pid, DWORD timeoutMs) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    if (process == nullptr) {
        Print("error=no such process");
        return kFailed;
    }
    for (HWND window : TopLevelWindows(pid).windows) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    int code = kOk;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        Print("ended=closed");
    } else if (TerminateProcess(process, 1) && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        Print("ended=terminated");
    } else {
        Print("error=the process did not end");
        code = kFailed;
    }
    CloseHandle(process);
    return code;
}

int GuiObjects(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        Print("error=cannot open the process (" + std::to_string(GetLastError()) + ")");
        return kFailed;
    }
    SetLastError(0);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD gdiError = GetLastError();
    SetLastError(0);
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    const DWORD userError = GetLastError();
    DWORD handles = 0;
    const bool haveHandles = GetProcessHandleCount(process, &handles) != 0;
    CloseHandle(process);

    long windows = 0;
    for (HWND window : TopLevelWindows(pid).windows) {
        ++windows;
        EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&windows));
    }
    Print("gdi=" + std::to_string(gdi));
    Print("gdi_error=" + std::to_string(gdiError));
    Print("user=" + std::to_string(user));
    Print("user_error=" + std::to_string(userError));
    Print("handles=" + (haveHandles ? std::to_string(handles) : std::string("unknown")));
    Print("windows=" + std::to_string(windows));
    return kOk;
}

int Usage() {
    std::fputs("usage: bench_helper.exe start <timeout ms> <class> visible|any <program> [args...]"
               " | close <pid> <timeout ms> | guiobjects <pid>\n",
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
    if (command == L"start" && argc >= 6 && ParseNumber(argv[2], a)) {
        const std::wstring visibility = argv[4];
        if (visibility != L"visible" && visibility != L"any") {
            return Usage();
        }
        return Start(static_cast<DWORD>(a), argv[3], visibility == L"visible", argc - 5, argv + 5);
    }
    if (command == L"close" && argc == 4 && ParseNumber(argv[2], a) && ParseNumber(argv[3], b)) {
        return Close(static_cast<DWORD>(a), static_cast<DWORD>(b));
    }
    if (command == L"guiobjects" && argc == 3 && ParseNumber(argv[2], a)) {
        return GuiObjects(static_cast<DWORD>(a));
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
    return code;
}
