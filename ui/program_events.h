#pragma once

#include <cstdlib>
#include <string>

namespace clicker {

// Where an event comes from: the main window or one of its controls.
enum class EventSource { MainWindow, 编辑框1, 按钮1, 时钟1, 时钟2 };

// What happened. Events carry no arguments and return no result.
enum class EventKind { Created, TextChanged, Clicked, Tick };

// What the window needs from the program around it.
class ProgramServices {
public:
    // Delivers one event to its handler at once, or drops it.
    virtual void RaiseEvent(EventSource source, EventKind kind) = 0;
    // Reports an unrecoverable error and ends the process.
    [[noreturn]] void FatalError(const std::wstring& message) {
        EndWithFatalError(message);
        std::abort();  // only if an implementation broke its promise to end the process
    }

protected:
    // Shows the report and ends the process; must not return.
    virtual void EndWithFatalError(const std::wstring& message) = 0;

    ProgramServices() = default;
    ~ProgramServices() = default;
    ProgramServices(const ProgramServices&) = default;
    ProgramServices& operator=(const ProgramServices&) = default;
};

}  // namespace clicker
