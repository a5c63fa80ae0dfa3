#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "label_window.h"
#include "periodic_timer.h"
#include "platform/base_window.h"
#include "platform/win32_handles.h"
#include "platform/window_timer.h"
#include "ports/text_source.h"
#include "program_events.h"
#include "window_design.h"

namespace clicker {

// The handlers that the window's events call.
struct EventHandlers {
    std::function<void()> windowCreated;
    std::function<void()> startClicked;
    std::function<void()> intervalChanged;
    std::function<void()> pollTick;
    std::function<void()> clickTick;
};

// The program's only window: three labels, the interval box, the Start button
// and the two timers, always on top. It is built in steps by the program host
// so that no event reaches a handler before everything exists.
class MainWindow final : private win32::BaseWindow, public TextSource {
public:
    explicit MainWindow(ProgramServices& services);
    ~MainWindow() override = default;

    // The window itself, hidden: centred, sized, iconed and topmost.
    bool Create();
    // The seven controls, hidden, in reverse design order.
    bool CreateControls();
    // Restacks the controls in design order, the first on top.
    void StackControls();
    // Shows the visible controls without activating anything.
    void ShowControls();
    // Shows and activates the window.
    void Show();

    void BindHandlers(EventHandlers handlers);
    // The handler bound to an event, or null when it has none.
    const std::function<void()>* HandlerFor(EventSource source, EventKind kind) const;

    // Offered every message before it is dispatched; true when the window has
    // consumed it (its own keyboard navigation).
    bool PreTranslateMessage(const MSG& message);

    // The text of the interval box, as code page 936 bytes.
    std::string ReadText() override;

    PeriodicTimer& PollTimer() { return 时钟1_.Component(); }
    PeriodicTimer& ClickTimer() { return 时钟2_.Component(); }
    HWND Control(design::ControlId id) const;
    using BaseWindow::Handle;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage() override;

    void OnEraseBackground(HDC dc);
    void OnPaint();
    void OnCommand(int controlId, int code);
    LRESULT OnEditColours(HDC dc);
    LRESULT OnNcActivate(bool active, LPARAM lParam);
    void OnActivate(bool deactivated);
    void OnSetFocus();

    bool CreateIntervalBox();
    bool CreateStartButton();
    void SetIcons();
    void NormalizeIntervalBox();
    void MoveFocus(bool backwards);
    // Visible, enabled tab stops in tab order: equal tab-order values, so the
    // reverse of the design order.
    std::array<HWND, 2> TabStops() const;
    std::array<HWND, 7> ControlsInDesignOrder() const;

    static LRESULT CALLBACK IntervalBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR subclassId, DWORD_PTR refData);

    ProgramServices& services_;
    EventHandlers handlers_;
    win32::UniqueIcon largeIcon_;
    win32::UniqueIcon smallIcon_;
    win32::UniqueFont 标签1Font_;  // null when it cannot be created: the label uses the default font
    LabelWindow 标签3_;
    LabelWindow 标签2_;
    LabelWindow 标签1_;
    HWND 编辑框1_ = nullptr;  // borrowed: a child, destroyed with this window
    HWND 按钮1_ = nullptr;    // borrowed: a child, destroyed with this window
    win32::WindowTimer 时钟2_;
    win32::WindowTimer 时钟1_;
    HWND focusOnDeactivate_ = nullptr;  // borrowed: the control to give the focus back to
    HFONT font_ = nullptr;              // borrowed: the stock font set with WM_SETFONT
};

// Converts UTF-16 text to code page 936 bytes.
std::string ToCodePage936(const std::wstring& text);

}  // namespace clicker
