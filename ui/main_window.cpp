#include "main_window.h"

#include <commctrl.h>

#include <new>
#include <utility>

#include "integer_entry.h"

namespace clicker {

namespace {

constexpr UINT_PTR kIntervalBoxSubclassId = 1;

HMENU AsMenu(int controlId) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)); }

HFONT DefaultGuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

win32::UniqueFont CreateInstructionsFont() {
    return win32::UniqueFont(CreateFontW(-19, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                         DEFAULT_PITCH, L""));
}

std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

bool KeyIsDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

// A single-line box lower than one Chinese character plus its edges is made
// that high, so that its text is never cut.
void EnsureOneLineHigh(HWND box, HFONT font) {
    const HDC dc = GetDC(box);
    const HGDIOBJ previous = SelectObject(dc, font);
    SIZE character{};
    GetTextExtentPoint32W(dc, L"中", 1, &character);
    SelectObject(dc, previous);
    ReleaseDC(box, dc);
    const int minimum = character.cy + 2 * GetSystemMetrics(SM_CYEDGE);
    RECT rect;
    GetWindowRect(box, &rect);
    if (rect.bottom - rect.top < minimum) {
        SetWindowPos(box, nullptr, 0, 0, rect.right - rect.left, minimum,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace

std::string ToCodePage936(const std::wstring& text) {
    constexpr UINT kCodePage = 936;
    if (text.empty()) {
        return {};
    }
    const int wideLength = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(kCodePage, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    WideCharToMultiByte(kCodePage, 0, text.data(), wideLength, converted.data(), bytes, nullptr, nullptr);
    return converted;
}

MainWindow::MainWindow(ProgramServices& services)
    : services_(services),
      标签1Font_(CreateInstructionsFont()),
      标签3_(design::kText标签3, LabelWindow::Lines::Single, nullptr),
      标签2_(design::kText标签2, LabelWindow::Lines::Single, nullptr),
      标签1_(design::kText标签1, LabelWindow::Lines::Wrapped, 标签1Font_.Get()),
      时钟2_(design::kTimerDesignPeriodMs),
      时钟1_(design::kTimerDesignPeriodMs) {}

bool MainWindow::Create() {
    // The background is painted on WM_ERASEBKGND, in the current button face.
    if (!RegisterWindowClass(design::kMainWindowClass, nullptr)) {
        return false;
    }
    const design::Point origin =
        design::CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (CreateBound(0, design::kMainWindowClass, design::kWindowTitle, style, origin.x, origin.y,
                    design::kWindowWidth, design::kWindowHeight, nullptr, nullptr) == nullptr) {
        return false;
    }
    RECT rect;
    GetWindowRect(Handle(), &rect);
    if (rect.right - rect.left != design::kWindowWidth || rect.bottom - rect.top != design::kWindowHeight) {
        MoveWindow(Handle(), origin.x, origin.y, design::kWindowWidth, design::kWindowHeight, FALSE);
    }
    SetIcons();
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

void MainWindow::SetIcons() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    largeIcon_.Reset(static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON, 32, 32, 0)));
    smallIcon_.Reset(static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON, 16, 16, 0)));
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.Get()));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
}

bool MainWindow::CreateControls() {
    using namespace design;
    const HWND parent = Handle();
    const auto create = [parent](auto& control, ControlId id, const ControlRect& r) {
        return control.Create(parent, id, r.left, r.top, r.width, r.height);
    };
    return create(时钟1_, kId时钟1, kRect时钟1) && create(时钟2_, kId时钟2, kRect时钟2) &&
           create(标签1_, kId标签1, kRect标签1) && CreateStartButton() && CreateIntervalBox() &&
           create(标签2_, kId标签2, kRect标签2) && create(标签3_, kId标签3, kRect标签3);
}

bool MainWindow::CreateStartButton() {
    const design::ControlRect& r = design::kRect按钮1;
    按钮1_ = CreateWindowExW(0, WC_BUTTONW, design::kText按钮1,
                            WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER |
                                BS_VCENTER | BS_MULTILINE,
                            r.left, r.top, r.width, r.height, Handle(), AsMenu(design::kId按钮1),
                            GetModuleHandleW(nullptr), nullptr);
    if (按钮1_ == nullptr) {
        return false;
    }
    SendMessageW(按钮1_, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
    return true;
}

bool MainWindow::CreateIntervalBox() {
    const design::ControlRect& r = design::kRect编辑框1;
    编辑框1_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"",
                              WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                              r.left, r.top, r.width, r.height, Handle(), AsMenu(design::kId编辑框1),
                              GetModuleHandleW(nullptr), nullptr);
    if (编辑框1_ == nullptr || !SetWindowSubclass(编辑框1_, &IntervalBoxProc, kIntervalBoxSubclassId, 0)) {
        return false;
    }
    SendMessageW(编辑框1_, EM_LIMITTEXT, 0, 0);
    SendMessageW(编辑框1_, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
    EnsureOneLineHigh(编辑框1_, DefaultGuiFont());
    SendMessageW(编辑框1_, EM_SETSEL, 0, 0);
    return true;
}

std::array<HWND, 7> MainWindow::ControlsInDesignOrder() const {
    return {标签3_.Handle(), 标签2_.Handle(), 编辑框1_, 按钮1_, 标签1_.Handle(), 时钟2_.Handle(), 时钟1_.Handle()};
}

void MainWindow::StackControls() {
    HWND above = HWND_TOP;
    for (const HWND control : ControlsInDesignOrder()) {
        SetWindowPos(control, above, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        above = control;
    }
}

void MainWindow::ShowControls() {
    for (const HWND control : ControlsInDesignOrder()) {
        const bool timer = control == 时钟1_.Handle() || control == 时钟2_.Handle();
        ShowWindow(control, timer ? SW_HIDE : SW_SHOWNA);
    }
}

void MainWindow::Show() { ShowWindow(Handle(), SW_SHOW); }

HWND MainWindow::Control(design::ControlId id) const {
    return ControlsInDesignOrder()[static_cast<std::size_t>(id) - 1];
}

void MainWindow::BindHandlers(EventHandlers handlers) { handlers_ = std::move(handlers); }

const std::function<void()>* MainWindow::HandlerFor(EventSource source, EventKind kind) const {
    const std::function<void()>* handler = nullptr;
    if (source == EventSource::MainWindow && kind == EventKind::Created) {
        handler = &handlers_.windowCreated;
    } else if (source == EventSource::按钮1 && kind == EventKind::Clicked) {
        handler = &handlers_.startClicked;
    } else if (source == EventSource::编辑框1 && kind == EventKind::TextChanged) {
        handler = &handlers_.intervalChanged;
    } else if (source == EventSource::时钟1 && kind == EventKind::Tick) {
        handler = &handlers_.pollTick;
    } else if (source == EventSource::时钟2 && kind == EventKind::Tick) {
        handler = &handlers_.clickTick;
    }
    return handler != nullptr && *handler ? handler : nullptr;
}

std::string MainWindow::ReadText() {
    // The copies of the text are the only memory the clicking path asks for;
    // without it the program cannot go on.
    std::size_t asked = (static_cast<std::size_t>(GetWindowTextLengthW(编辑框1_)) + 1) * sizeof(wchar_t);
    try {
        const std::wstring text = WindowText(编辑框1_);
        asked = text.size() * 2 + 1;  // code page 936 needs at most two bytes a character
        return ToCodePage936(text);
    } catch (const std::bad_alloc&) {
        const std::string bytes = std::to_string(asked);  // ASCII digits
        services_.FatalError(L"分配 " + std::wstring(bytes.begin(), bytes.end()) + L" 字节内存失败!");
    }
}

bool MainWindow::PreTranslateMessage(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) {
        return false;
    }
    if (Handle() == nullptr || (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd))) {
        return false;
    }
    const bool ctrl = KeyIsDown(VK_CONTROL);
    const bool shift = KeyIsDown(VK_SHIFT);
    const bool alt = KeyIsDown(VK_MENU);
    switch (message.wParam) {
        case VK_ESCAPE:
            if (!ctrl && !shift && !alt) {
                SendMessageW(Handle(), WM_CLOSE, 0, 0);
                return true;
            }
            return false;
        case VK_TAB:
            if (!ctrl && !alt) {
                MoveFocus(shift);
                return true;
            }
            return false;
        default:
            return false;  // Enter and F1 included: they go on to the focused control
    }
}

std::array<HWND, 2> MainWindow::TabStops() const {
    return {按钮1_, 编辑框1_};
}

void MainWindow::MoveFocus(bool backwards) {
    std::array<HWND, 2> stops{};
    std::size_t count = 0;
    for (const HWND control : TabStops()) {
        if ((GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) != 0 && IsWindowVisible(control) &&
            IsWindowEnabled(control)) {
            stops[count++] = control;
        }
    }
    if (count == 0) {
        return;
    }
    std::size_t next = 0;
    const HWND focus = GetFocus();
    for (std::size_t i = 0; i < count; ++i) {
        if (stops[i] == focus) {
            next = backwards ? (i + count - 1) % count : (i + 1) % count;
        }
    }
    SetFocus(stops[next]);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            OnEraseBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLOREDIT:
            return OnEditColours(reinterpret_cast<HDC>(wParam));
        case WM_NCACTIVATE:
            return OnNcActivate(wParam != FALSE, lParam);
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) == WA_INACTIVE);
            return DefWindowProcW(Handle(), message, wParam, lParam);
        case WM_SETFOCUS:
            OnSetFocus();
            return 0;
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wParam);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        default:
            return DefWindowProcW(Handle(), message, wParam, lParam);
    }
}

void MainWindow::OnFinalMessage() {
    // The main window was the program's last window.
    PostQuitMessage(0);
}

void MainWindow::OnEraseBackground(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

void MainWindow::OnPaint() {
    PAINTSTRUCT ps;
    BeginPaint(Handle(), &ps);
    EndPaint(Handle(), &ps);
}

void MainWindow::OnCommand(int controlId, int code) {
    if (controlId == design::kId编辑框1) {
        if (code == EN_CHANGE) {
            services_.RaiseEvent(EventSource::编辑框1, EventKind::TextChanged);
        } else if (code == EN_KILLFOCUS) {
            NormalizeIntervalBox();
        }
    } else if (controlId == design::kId按钮1 && code == BN_CLICKED) {
        services_.RaiseEvent(EventSource::按钮1, EventKind::Clicked);
    }
}

LRESULT MainWindow::OnEditColours(HDC dc) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

LRESULT MainWindow::OnNcActivate(bool active, LPARAM lParam) {
    // The caption keeps its active colours while the window is enabled; the
    // window still loses the activation.
    const BOOL drawActive = active || IsWindowEnabled(Handle());
    return DefWindowProcW(Handle(), WM_NCACTIVATE, static_cast<WPARAM>(drawActive), lParam);
}

void MainWindow::OnActivate(bool deactivated) {
    if (deactivated) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(Handle(), focus)) {
            focusOnDeactivate_ = focus;
        }
    }
}

void MainWindow::OnSetFocus() {
    if (focusOnDeactivate_ != nullptr && IsWindow(focusOnDeactivate_) && IsChild(Handle(), focusOnDeactivate_)) {
        SetFocus(focusOnDeactivate_);
        return;
    }
    // The lowest tab-order value; among equal values, the last in the design.
    SetFocus(TabStops().front());
}

void MainWindow::NormalizeIntervalBox() {
    const std::wstring text = WindowText(编辑框1_);
    const std::string normalized = NormalizeIntegerText(ToCodePage936(text));
    const std::wstring shown(normalized.begin(), normalized.end());  // ASCII only
    if (shown == text) {
        return;
    }
    DWORD selectionStart = 0;
    SendMessageW(编辑框1_, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart), 0);
    SetWindowTextW(编辑框1_, shown.c_str());  // raises the text-changed event
    SendMessageW(编辑框1_, EM_SETSEL, selectionStart, static_cast<LPARAM>(selectionStart));
}

LRESULT CALLBACK MainWindow::IntervalBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR subclassId, DWORD_PTR /*refData*/) {
    switch (message) {
        case WM_CHAR:
            if (!IsAcceptedTypedChar(static_cast<char32_t>(wParam))) {
                return 0;  // dropped without a sound
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, &IntervalBoxProc, subclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace clicker
