// Starts a program, prints its process id, waits for it and prints its whole
// exit code. `wine prog.exe` hands on only the low byte of a program's exit
// code; the tests need all 32 bits.
//
//   launch.exe <program> [arguments...]
//
// Output: "pid: <id>" as soon as the program runs, then "exit code: <code>"
// (signed) when it has ended. Returns 0 when the program could be started
// and waited for, 2 otherwise.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <vector>

namespace {

// The rest of this process's own command line after its first word, exactly
// as given: the child sees its arguments without a second round of quoting.
const wchar_t* CommandLineAfterProgramName() {
    const wchar_t* p = GetCommandLineW();
    // The first word is quoted or ends at a blank; it has no escapes.
    if (*p == L'"') {
        ++p;
        while (*p != L'\0' && *p != L'"') {
            ++p;
        }
        if (*p == L'"') {
            ++p;
        }
    } else {
        while (*p != L'\0' && *p != L' ' && *p != L'\t') {
            ++p;
        }
    }
    while (*p == L' ' || *p == L'\t') {
        ++p;
    }
    return p;
}

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    const wchar_t* childLine = CommandLineAfterProgramName();
    if (*childLine == L'\0') {
        std::fputs("usage: launch.exe <program> [arguments...]\n", stderr);
        return 2;
    }
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> commandLine(childLine, childLine + std::wcslen(childLine) + 1);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "launch: CreateProcessW failed (error %lu)\n", GetLastError());
        return 2;
    }
    CloseHandle(process.hThread);
    std::printf("pid: %lu\n", process.dwProcessId);
    std::fflush(stdout);

    DWORD exitCode = 0;
    if (WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &exitCode)) {
        std::fprintf(stderr, "launch: waiting for the program failed (error %lu)\n", GetLastError());
        CloseHandle(process.hProcess);
        return 2;
    }
    CloseHandle(process.hProcess);
    std::printf("exit code: %ld\n", static_cast<long>(static_cast<std::int32_t>(exitCode)));
    std::fflush(stdout);
    return 0;
}
