#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "window_design.h"
#include "window_test_support.h"

namespace clicker {
namespace {

using testing::ClassOf;
using testing::HeldModifiers;
using testing::PumpFor;
using testing::PumpUntil;
using testing::RecordedProgram;
using testing::TextOf;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(program.Build()); }

    HWND Main() { return program.window().Handle(); }
    HWND Box() { return program.control(design::kId编辑框1); }
    HWND Button() { return program.control(design::kId按钮1); }
    DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
    DWORD ExStyle(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)); }

    // Puts the focus in the box, then on the button, as a user tabbing away.
    void LeaveBox() {
        SetFocus(Box());
        SetFocus(Button());
        program.host.DispatchPending();
    }

    RecordedProgram program;
};

TEST(WindowPlacement, CentredOnThePrimaryScreenWithTruncatingDivision) {
    struct Case {
        int screenWidth, screenHeight, left, top;
    };
    for (const Case& c : {Case{1920, 1080, 770, 400}, Case{1366, 768, 493, 244},
                          Case{1280, 1024, 450, 372}, Case{300, 200, -40, -40}, Case{381, 281, 0, 0}}) {
        SCOPED_TRACE(::testing::Message() << c.screenWidth << "x" << c.screenHeight);
        const design::Point origin = design::CentredOrigin(c.screenWidth, c.screenHeight);
        EXPECT_EQ(origin.x, c.left);
        EXPECT_EQ(origin.y, c.top);
    }
}

TEST_F(MainWindowTest, ShownCentredTopmostWithAFixedFrame) {
    RECT rect;
    GetWindowRect(Main(), &rect);
    const design::Point origin =
        design::CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(rect.left, origin.x);
    EXPECT_EQ(rect.top, origin.y);
    EXPECT_EQ(rect.right - rect.left, 380);
    EXPECT_EQ(rect.bottom - rect.top, 280);

    const DWORD style = Style(Main());
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & (WS_CHILD | WS_POPUP));
    EXPECT_TRUE(ExStyle(Main()) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(Main(), GW_OWNER), nullptr);
    EXPECT_NE(SendMessageW(Main(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(Main(), WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(Main(), WM_GETFONT, 0, 0)),
              static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

// The texts run also under a Latin locale (see tests/CMakeLists.txt), where
// this makes sure that the ANSI code page really is not 936.
TEST(LocaleProbe, AnsiCodePageIsTheOneThisRunAsksFor) {
    const char* expected = std::getenv("CLICKER_EXPECTED_ACP");
    if (expected == nullptr) {
        GTEST_SKIP() << "no code page asked for";
    }
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::strtoul(expected, nullptr, 10)));
}

TEST_F(MainWindowTest, TextsReadBackAsDesignedInAnyLocale) {
    // Also run under a Latin locale, where the ANSI code page is not 936.
    EXPECT_EQ(TextOf(Main()), design::kWindowTitle);
    EXPECT_EQ(TextOf(program.control(design::kId标签1)), design::kText标签1);
    EXPECT_EQ(TextOf(program.control(design::kId标签2)), L"频率");
    EXPECT_EQ(TextOf(program.control(design::kId标签3)), L"Tamberlo [VMD] [VNT]");
    EXPECT_EQ(TextOf(Button()), L"开始");

    // The box's text reaches the conversion as code page 936 bytes.
    SetWindowTextW(Box(), L"１００");
    EXPECT_EQ(program.window().ReadText(), "\xA3\xB1\xA3\xB0\xA3\xB0");
    SetWindowTextW(Box(), L"");
    EXPECT_EQ(program.window().ReadText(), "");
}

TEST_F(MainWindowTest, ControlsStackInDesignOrderAtTheirPlaces) {
    struct Expected {
        int id;
        std::wstring className;
        design::ControlRect rect;
        bool visible;
    };
    const std::vector<Expected> expected = {
        {design::kId标签3, design::kLabelClass, design::kRect标签3, true},
        {design::kId标签2, design::kLabelClass, design::kRect标签2, true},
        {design::kId编辑框1, L"Edit", design::kRect编辑框1, true},
        {design::kId按钮1, L"Button", design::kRect按钮1, true},
        {design::kId标签1, design::kLabelClass, design::kRect标签1, true},
        {design::kId时钟2, L"ClickerTimerHost", design::kRect时钟2, false},
        {design::kId时钟1, L"ClickerTimerHost", design::kRect时钟1, false},
    };
    HWND child = GetWindow(Main(), GW_CHILD);
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), e.id) << "z-order";
        EXPECT_EQ(_wcsicmp(ClassOf(child).c_str(), e.className.c_str()), 0);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, Main(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, e.rect.left);
        EXPECT_EQ(r.top, e.rect.top);
        EXPECT_EQ(r.right - r.left, e.rect.width);
        EXPECT_GE(r.bottom - r.top, e.rect.height) << "the box may only grow to one line";
        EXPECT_EQ(IsWindowVisible(child) != FALSE, e.visible);
        EXPECT_TRUE(IsWindowEnabled(child));
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "exactly seven controls";
}

TEST_F(MainWindowTest, BoxAndButtonHaveTheirStyles) {
    const DWORD box = Style(Box());
    EXPECT_TRUE(box & WS_TABSTOP);
    EXPECT_TRUE(box & ES_AUTOHSCROLL);
    EXPECT_FALSE(box & (ES_MULTILINE | ES_READONLY | ES_PASSWORD | ES_NOHIDESEL | ES_UPPERCASE |
                        ES_LOWERCASE | ES_NUMBER | WS_VSCROLL | WS_HSCROLL));
    EXPECT_TRUE(ExStyle(Box()) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(SendMessageW(Box(), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE) << "the system's maximum";
    EXPECT_EQ(TextOf(Box()), L"");

    const DWORD button = Style(Button());
    EXPECT_EQ(button & BS_TYPEMASK, BS_PUSHBUTTON) << "not a default button";
    EXPECT_TRUE(button & WS_TABSTOP);
    EXPECT_EQ(button & (BS_CENTER | BS_VCENTER | BS_MULTILINE), BS_CENTER | BS_VCENTER | BS_MULTILINE);
    for (const int id : {design::kId标签1, design::kId标签2, design::kId标签3}) {
        EXPECT_FALSE(Style(program.control(static_cast<design::ControlId>(id))) & WS_TABSTOP);
    }
}

TEST_F(MainWindowTest, StartButtonHasTheFocusAndTheCreatedEventHasRun) {
    EXPECT_EQ(GetFocus(), Button());
    EXPECT_EQ(program.window().ClickTimer().GetPeriod(), 0) << "stopped by the created event";
    EXPECT_EQ(program.window().PollTimer().GetPeriod(), 1000);
    EXPECT_EQ(program.host.SuppressionDepth(), 0);
    EXPECT_TRUE(program.events.empty()) << "nothing raised while building reaches a handler";
}

TEST_F(MainWindowTest, TypingFilterLetsDigitsMinusAndControlCharactersThrough) {
    struct Case {
        const wchar_t* typed;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"12", L"12"},
        {L"a b+.,e", L""},
        {L"1-2", L"1-2"},
        {L"9\b", L""},       // Backspace reaches the box
        {L"7x\x3000", L"7"},  // ideographic space
        {L"\xFF11" L"5", L"5"},  // a full-width digit cannot be typed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Utf8(c.typed));
        SetWindowTextW(Box(), L"");
        for (const wchar_t* p = c.typed; *p != L'\0'; ++p) {
            SendMessageW(Box(), WM_CHAR, *p, 1);
        }
        EXPECT_EQ(TextOf(Box()), c.shown);
    }
}

TEST_F(MainWindowTest, MinusIsInsertedInTheMiddleOfDigits) {
    SetWindowTextW(Box(), L"1234");
    SendMessageW(Box(), EM_SETSEL, 2, 2);
    SendMessageW(Box(), WM_CHAR, L'-', 1);
    EXPECT_EQ(TextOf(Box()), L"12-34");
}

TEST_F(MainWindowTest, PastedTextIsNotFilteredAndIsNormalizedOnLeaving) {
    SetFocus(Box());
    SendMessageW(Box(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L" 12abc"));
    EXPECT_EQ(TextOf(Box()), L" 12abc");
    LeaveBox();
    EXPECT_EQ(TextOf(Box()), L"12");
}

TEST_F(MainWindowTest, LeavingTheBoxNormalizesItsText) {
    struct Case {
        const wchar_t* text;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"007", L"7"},
        {L"0", L""},
        {L"-", L""},
        {L"-0", L""},
        {L"12-3", L"12"},
        {L"99999999999", L"2147483647"},
        {L"-99999999999", L"-2147483648"},
        {L"-15", L"-15"},
        {L"１２", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Utf8(c.text));
        SetWindowTextW(Box(), c.text);
        LeaveBox();
        EXPECT_EQ(TextOf(Box()), c.shown);
    }
}

TEST_F(MainWindowTest, NormalizingRaisesTheChangeEventOnlyWhenTheTextChanges) {
    SetWindowTextW(Box(), L"007");
    ASSERT_EQ(program.Count("changed"), 1);
    LeaveBox();
    EXPECT_EQ(program.Count("changed"), 2);

    LeaveBox();  // "7" stays "7"
    EXPECT_EQ(program.Count("changed"), 2);
}

TEST_F(MainWindowTest, NormalizingPutsTheCaretWhereTheSelectionStarted) {
    SetFocus(Box());
    SetWindowTextW(Box(), L"0042");
    SendMessageW(Box(), EM_SETSEL, 1, 3);
    SetFocus(Button());
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(Box(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(TextOf(Box()), L"42");
    EXPECT_EQ(start, 1U);
    EXPECT_EQ(end, 1U);
}

TEST_F(MainWindowTest, ClickingStartRaisesTheClickedEventAfterTheBoxIsNormalized) {
    std::string seenText;
    EventHandlers handlers;
    handlers.startClicked = [&] { seenText = program.window().ReadText(); };
    program.window().BindHandlers(handlers);
    SetFocus(Box());
    SetWindowTextW(Box(), L"007");
    // A mouse click on the button takes the focus first.
    SetFocus(Button());
    SendMessageW(Button(), BM_CLICK, 0, 0);
    program.host.DispatchPending();
    EXPECT_EQ(seenText, "7");
}

TEST_F(MainWindowTest, SpaceOnTheFocusedButtonClicksItAndEnterDoesNothing) {
    program.PressKey(VK_RETURN);
    EXPECT_EQ(program.Count("start"), 0);
    EXPECT_EQ(GetFocus(), Button());

    PostMessageW(Button(), WM_KEYDOWN, VK_SPACE, 1);
    PostMessageW(Button(), WM_CHAR, L' ', 1);
    PostMessageW(Button(), WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001U));
    EXPECT_TRUE(PumpUntil(program.host, [&] { return program.Count("start") == 1; }));

    SetFocus(Box());
    program.PressKey(VK_RETURN);
    EXPECT_EQ(GetFocus(), Box()) << "Enter does not move the focus";
    EXPECT_EQ(program.Count("start"), 1);
}

TEST_F(MainWindowTest, TabAndShiftTabMoveBetweenTheTwoTabStops) {
    ASSERT_EQ(GetFocus(), Button());
    program.PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), Box());
    program.PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), Button());
    {
        const HeldModifiers shift{VK_SHIFT};
        program.PressKey(VK_TAB);
        EXPECT_EQ(GetFocus(), Box());
        program.PressKey(VK_TAB);
        EXPECT_EQ(GetFocus(), Button());
    }
    {
        const HeldModifiers ctrl{VK_CONTROL};
        program.PressKey(VK_TAB);
        EXPECT_EQ(GetFocus(), Button()) << "Ctrl+Tab is not navigation";
    }
}

TEST_F(MainWindowTest, TabFromTheBoxNormalizesIt) {
    SetFocus(Box());
    SetWindowTextW(Box(), L"0100");
    program.PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), Button());
    EXPECT_EQ(TextOf(Box()), L"100");
}

TEST_F(MainWindowTest, F1InTheWindowDoesNothing) {
    program.PressKey(VK_F1);
    EXPECT_TRUE(IsWindow(Main()));
    EXPECT_EQ(GetFocus(), Button());
    EXPECT_TRUE(program.events.empty());
}

TEST_F(MainWindowTest, EscClosesTheWindowFromTheBoxAndPostsQuit) {
    SetFocus(Box());
    SetWindowTextW(Box(), L"123");
    program.PressKey(VK_ESCAPE);
    EXPECT_FALSE(IsWindow(Main()));
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0U);
}

TEST_F(MainWindowTest, EscWithAModifierDoesNotClose) {
    for (const int modifier : {VK_CONTROL, VK_SHIFT, VK_MENU}) {
        SCOPED_TRACE(modifier);
        const HeldModifiers held{modifier};
        program.PressKey(VK_ESCAPE);
        EXPECT_TRUE(IsWindow(Main()));
    }
}

TEST_F(MainWindowTest, CloseRequestEndsTheLoopWithCodeZeroAndStopsTheTimers) {
    program.window().ClickTimer().SetPeriod(10);
    PostMessageW(Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.host.RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(Main()));
    const int clicks = program.Count("click");
    PumpFor(program.host, 100);
    EXPECT_EQ(program.Count("click"), clicks) << "no tick after the window is gone";
}

TEST_F(MainWindowTest, FocusReturnsToTheBoxAfterDeactivation) {
    SetFocus(Box());
    SetWindowTextW(Box(), L"050");
    const HWND other = CreateWindowExW(0, L"Static", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                       200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetActiveWindow(other);
    ASSERT_TRUE(PumpUntil(program.host, [&] { return GetActiveWindow() == other; }));
    EXPECT_EQ(TextOf(Box()), L"50") << "normalized when the box lost the focus";
    EXPECT_TRUE(GetWindowLongPtrW(Main(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    SetActiveWindow(Main());
    EXPECT_TRUE(PumpUntil(program.host, [&] { return GetFocus() == Box(); }));
    DestroyWindow(other);
}

TEST_F(MainWindowTest, EventsAreDroppedWhileSuppressed) {
    program.host.Shutdown();
    SendMessageW(Button(), BM_CLICK, 0, 0);
    SetWindowTextW(Box(), L"5");
    program.window().PollTimer().SetPeriod(10);
    PumpFor(program.host, 100);
    EXPECT_TRUE(program.events.empty());
}

TEST_F(MainWindowTest, TimersTickTheirOwnHandlers) {
    program.window().ClickTimer().SetPeriod(20);
    program.window().PollTimer().SetPeriod(30);
    EXPECT_TRUE(PumpUntil(program.host, [&] { return program.Count("click") >= 3 && program.Count("poll") >= 3; }));
    program.window().ClickTimer().SetPeriod(0);
    const int polls = program.Count("poll");
    const int clicks = program.Count("click");
    EXPECT_TRUE(PumpUntil(program.host, [&] { return program.Count("poll") >= polls + 3; }))
        << "stopping one timer leaves the other running";
    EXPECT_EQ(program.Count("click"), clicks);
}

}  // namespace
}  // namespace clicker
