#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "click_controller.h"
#include "main_window.h"
#include "platform/windows_desktop_input.h"
#include "program_events.h"

namespace clicker {

// The whole life of the process on its one GUI thread: builds the window with
// events held back, runs the message loop, delivers events to the handlers,
// and ends the process normally or through the one fatal error box.
class ProgramHost final : public ProgramServices {
public:
    // Shows the error box and waits until it is closed.
    using ErrorBox = std::function<void(const std::wstring& text)>;

    ProgramHost();
    // For tests: another error box and another list of libraries in which to
    // look for the key-state function.
    ProgramHost(ErrorBox errorBox, std::vector<std::string> keyStateLibraries);

    ProgramHost(const ProgramHost&) = delete;
    ProgramHost& operator=(const ProgramHost&) = delete;

    // Start, build, loop, shut down; returns the process exit code.
    int Run();
    bool BuildMainWindow();
    int RunMessageLoop();
    // Handles every queued message as the loop does, stopping before a quit
    // message, which stays queued.
    void DispatchPending();
    void RaiseEvent(EventSource source, EventKind kind) override;
    using ProgramServices::FatalError;
    void Shutdown();

    MainWindow* Window() { return mainWindow_.get(); }
    win32::WindowsDesktopInput& DesktopInput() { return desktopInput_; }
    int SuppressionDepth() const { return suppressionDepth_; }

private:
    void EndWithFatalError(const std::wstring& message) override;

    // Pre-translation, then translation and dispatch.
    void HandleMessage(const MSG& message);

    int suppressionDepth_ = 0;  // events reach handlers only while this is 0
    ErrorBox errorBox_;
    win32::WindowsDesktopInput desktopInput_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<ClickController> controller_;
};

// The text of the fatal error box for a message.
std::wstring FatalErrorText(const std::wstring& message);

// The error box as the user sees it: no owner, title "错误", error icon, OK.
void ShowErrorBox(const std::wstring& text);

}  // namespace clicker
