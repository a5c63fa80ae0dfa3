#pragma once

#include <windows.h>

#include <string>

#include "platform/base_window.h"

namespace clicker {

// A static text that paints itself: button-face background, black text,
// left-aligned, either wrapped from the top or on one vertically centred line.
class LabelWindow final : private win32::BaseWindow {
public:
    enum class Lines { Wrapped, Single };

    // font is borrowed and must outlive the label; null means the default GUI font.
    LabelWindow(std::wstring text, Lines lines, HFONT font);

    bool Create(HWND parent, int controlId, int x, int y, int width, int height);

    using BaseWindow::Handle;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint();

    std::wstring text_;
    Lines lines_;
    HFONT font_;
};

}  // namespace clicker
