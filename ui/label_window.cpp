#include "label_window.h"

#include <utility>

#include "window_design.h"

namespace clicker {

LabelWindow::LabelWindow(std::wstring text, Lines lines, HFONT font)
    : text_(std::move(text)), lines_(lines), font_(font) {}

bool LabelWindow::Create(HWND parent, int controlId, int x, int y, int width, int height) {
    // No class brush: the label fills its own background when it paints.
    if (!RegisterWindowClass(design::kLabelClass, nullptr)) {
        return false;
    }
    return CreateBound(0, design::kLabelClass, text_.c_str(), WS_CHILD | WS_CLIPSIBLINGS, x, y, width,
                       height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId))) !=
           nullptr;
}

LRESULT LabelWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painted in OnPaint, without flicker
        default:
            return DefWindowProcW(Handle(), message, wParam, lParam);
    }
}

void LabelWindow::OnPaint() {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(Handle(), &ps);
    FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    const HFONT font = font_ != nullptr ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const HGDIOBJ previousFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT client;
    GetClientRect(Handle(), &client);
    // DT_VCENTER has no effect on wrapped text: wrapped lines start at the top.
    const UINT format = lines_ == Lines::Wrapped ? DT_NOCLIP | DT_WORDBREAK | DT_VCENTER
                                                  : DT_NOCLIP | DT_SINGLELINE | DT_VCENTER;
    DrawTextW(dc, text_.c_str(), -1, &client, format);
    SelectObject(dc, previousFont);
    EndPaint(Handle(), &ps);
}

}  // namespace clicker
