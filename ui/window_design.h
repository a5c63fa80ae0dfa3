#pragma once

// The fixed design of the main window: places, sizes, texts and control ids.
// Platform-free, so that tools and tests can share it.

#include <cstdint>

namespace clicker::design {

inline constexpr wchar_t kWindowTitle[] = L"\"Quarnel\"牌连点器 - by Ostrivex";
inline constexpr int kWindowWidth = 380;   // outer size, frame and caption included
inline constexpr int kWindowHeight = 280;

inline constexpr wchar_t kMainWindowClass[] = L"ClickerMainWindow";
inline constexpr wchar_t kLabelClass[] = L"ClickerLabel";

// Control ids: the position in the design's control list, which is also the
// z-order, first on top.
enum ControlId : int {
    kId标签3 = 1,
    kId标签2 = 2,
    kId编辑框1 = 3,
    kId按钮1 = 4,
    kId标签1 = 5,
    kId时钟2 = 6,
    kId时钟1 = 7,
};

struct ControlRect {
    int left;
    int top;
    int width;
    int height;
};

inline constexpr ControlRect kRect标签3{256, 232, 136, 16};
inline constexpr ControlRect kRect标签2{96, 128, 24, 24};
inline constexpr ControlRect kRect编辑框1{128, 128, 136, 24};
inline constexpr ControlRect kRect按钮1{122, 168, 128, 40};
inline constexpr ControlRect kRect标签1{16, 32, 328, 80};
inline constexpr ControlRect kRect时钟2{768, 88, 32, 32};
inline constexpr ControlRect kRect时钟1{440, 248, 32, 32};

inline constexpr wchar_t kText标签3[] = L"Tamberlo [VMD] [VNT]";
inline constexpr wchar_t kText标签2[] = L"频率";
inline constexpr wchar_t kText按钮1[] = L"开始";
inline constexpr wchar_t kText标签1[] =
    L"连点器软件，在下方输入框中输入每几毫秒点击一次，然后按下开始或F1，"
    L"软件就会自动开始在鼠标所在位置以您设定的的速度开始点击。按下F2结束。";

inline constexpr std::int32_t kTimerDesignPeriodMs = 1000;  // both timers

struct Point {
    int x;
    int y;
};

// Top-left corner that centres the window on a screen of the given size;
// negative when the screen is smaller than the window.
constexpr Point CentredOrigin(int screenWidth, int screenHeight) {
    return {(screenWidth - kWindowWidth) / 2, (screenHeight - kWindowHeight) / 2};
}

}  // namespace clicker::design
