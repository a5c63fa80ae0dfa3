#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "program_host.h"
#include "window_test_support.h"

namespace clicker {
namespace {

using testing::Utf8;

// Writes what the error box would show to stderr, one line, for the death
// test's parent to match.
void PrintErrorBox(const std::wstring& text) {
    std::string line = Utf8(text);
    for (char& c : line) {
        c = c == '\n' ? '|' : c;
    }
    std::fprintf(stderr, "error box: %s\n", line.c_str());
    std::fflush(stderr);
}

TEST(FatalErrorText, StartsWithTheRuntimeErrorLineThenTheMessage) {
    EXPECT_EQ(FatalErrorText(L"载入启动窗口失败"), L"运行时出错!\n\n错误信息：载入启动窗口失败");
}

TEST(ProgramHostDeathTest, MissingKeyStateFunctionShowsOneBoxAndExitsWithMinusOne) {
    EXPECT_EXIT(
        {
            ProgramHost host(&PrintErrorBox, {"Kernel32.dll", "Gdi32.dll"});
            host.DesktopInput().ReadKeyState(0x70);
        },
        ::testing::ExitedWithCode(-1),
        "error box: 运行时出错!\\|\\|错误信息：无法找到指定DLL库文件中的输出命令“GetAsyncKeyState”");
}

TEST(ProgramHostDeathTest, FirstPollOfARunningProgramBindsTheKeyStateOrFails) {
    EXPECT_EXIT(
        {
            ProgramHost host(&PrintErrorBox, {"Mpr.dll"});
            if (host.BuildMainWindow()) {
                std::fprintf(stderr, "built\n");
                host.RunMessageLoop();  // the first poll, a second later, ends the process
            }
        },
        ::testing::ExitedWithCode(-1), "built\nerror box: .*GetAsyncKeyState");
}

template <class Function>
DWORD WINAPI RunAndDelete(void* parameter) {
    auto* function = static_cast<Function*>(parameter);
    (*function)();
    delete function;
    return 0;
}

// Runs a function on a thread of its own that is never joined: the process
// ends under it.
template <class Function>
void RunDetached(Function function) {
    CloseHandle(CreateThread(nullptr, 0, &RunAndDelete<Function>, new Function(std::move(function)), 0, nullptr));
}

// Presses OK on this process's error box once it appears, after printing its
// text; the real box, as the user sees it.
void AnswerErrorBox() {
    for (int i = 0; i < 500; ++i) {
        const HWND box = FindWindowW(L"#32770", L"错误");
        if (box != nullptr) {
            wchar_t text[256] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 256);
            PrintErrorBox(text);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return;
        }
        Sleep(10);
    }
}

TEST(ProgramHostDeathTest, RealErrorBoxShowsTheTextAndOkEndsTheProcess) {
    EXPECT_EXIT(
        {
            RunDetached(&AnswerErrorBox);
            ProgramHost host;
            host.FatalError(L"载入启动窗口失败");
        },
        ::testing::ExitedWithCode(-1), "error box: 运行时出错!\\|\\|错误信息：载入启动窗口失败");
}

TEST(ProgramHostDeathTest, NoHandlerRunsWhileTheErrorBoxIsShown) {
    EXPECT_EXIT(
        {
            testing::RecordedProgram program(&ShowErrorBox);
            if (program.Build()) {
                program.window().PollTimer().SetPeriod(10);
                program.window().ClickTimer().SetPeriod(10);
                RunDetached([&program] {
                    Sleep(300);  // meanwhile the box's own loop dispatches the timers' ticks
                    std::fprintf(stderr, "events while shown: %d\n", static_cast<int>(program.events.size()));
                    AnswerErrorBox();
                });
                program.host.FatalError(L"x");
            }
        },
        ::testing::ExitedWithCode(-1), "events while shown: 0\nerror box: ");
}

}  // namespace
}  // namespace clicker
