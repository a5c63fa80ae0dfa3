#include "program_host.h"

#include <commctrl.h>

#include <utility>

namespace clicker {

std::wstring FatalErrorText(const std::wstring& message) {
    return L"运行时出错!\n\n错误信息：" + message;
}

void ShowErrorBox(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), L"错误", MB_ICONERROR | MB_OK);
}

ProgramHost::ProgramHost()
    : ProgramHost(&ShowErrorBox, win32::WindowsDesktopInput::DefaultKeyStateLibraries()) {}

ProgramHost::ProgramHost(ErrorBox errorBox, std::vector<std::string> keyStateLibraries)
    : errorBox_(std::move(errorBox)),
      desktopInput_([this](const std::wstring& message) { FatalError(message); },
                    std::move(keyStateLibraries)) {}

int ProgramHost::Run() {
    // Version 6 of the common controls (asked for by the manifest) draws the
    // box and the button in the system's visual style.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!BuildMainWindow()) {
        FatalError(L"载入启动窗口失败");
    }
    const int quitCode = RunMessageLoop();
    Shutdown();
    return quitCode;
}

bool ProgramHost::BuildMainWindow() {
    ++suppressionDepth_;
    mainWindow_ = std::make_unique<MainWindow>(*this);
    if (!mainWindow_->Create() || !mainWindow_->CreateControls()) {
        return false;
    }
    controller_ = std::make_unique<ClickController>(mainWindow_->ClickTimer(), *mainWindow_, desktopInput_);
    ClickController& c = *controller_;
    mainWindow_->BindHandlers({
        .windowCreated = [&c] { c.HandleWindowCreated(); },
        .startClicked = [&c] { c.HandleStartClicked(); },
        .intervalChanged = [&c] { c.HandleIntervalChanged(); },
        .pollTick = [&c] { c.HandlePollTick(); },
        .clickTick = [&c] { c.HandleClickTick(); },
    });
    mainWindow_->PollTimer().SetTickHandler([this] { RaiseEvent(EventSource::时钟1, EventKind::Tick); });
    mainWindow_->ClickTimer().SetTickHandler([this] { RaiseEvent(EventSource::时钟2, EventKind::Tick); });
    mainWindow_->StackControls();
    mainWindow_->ShowControls();

    // What building queued is handled now, while its events are still dropped.
    DispatchPending();
    if (suppressionDepth_ > 0) {
        --suppressionDepth_;
    }
    RaiseEvent(EventSource::MainWindow, EventKind::Created);
    mainWindow_->Show();
    return true;
}

int ProgramHost::RunMessageLoop() {
    MSG message;
    BOOL got = FALSE;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            break;  // an invalid call; the thread has no more messages to give
        }
        HandleMessage(message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 0;
}

void ProgramHost::DispatchPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            HandleMessage(message);
        }
    }
}

void ProgramHost::HandleMessage(const MSG& message) {
    if (mainWindow_ && mainWindow_->PreTranslateMessage(message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void ProgramHost::RaiseEvent(EventSource source, EventKind kind) {
    if (suppressionDepth_ > 0 || !mainWindow_) {
        return;  // dropped, not delivered later
    }
    if (const std::function<void()>* handler = mainWindow_->HandlerFor(source, kind)) {
        (*handler)();
    }
}

void ProgramHost::EndWithFatalError(const std::wstring& message) {
    ++suppressionDepth_;  // never lowered again: the box's own loop reaches no handler
    errorBox_(FatalErrorText(message));
    Shutdown();
    ExitProcess(static_cast<UINT>(-1));
}

void ProgramHost::Shutdown() {
    ++suppressionDepth_;
    desktopInput_.ReleaseKeyStateLibrary();
}

}  // namespace clicker
