#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "window_test_support.h"

namespace clicker {
namespace {

using testing::TextOf;

// The program as it runs, controller included: pasted text, then Start.
class BadInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.BuildMainWindow());
        box = host.Window()->Control(design::kId编辑框1);
        button = host.Window()->Control(design::kId按钮1);
    }

    void TearDown() override {
        // No click may reach the desktop after the check.
        if (host.Window() != nullptr) {
            host.Window()->ClickTimer().SetPeriod(0);
        }
    }

    // Pastes into the focused box and starts without moving the focus, as F1
    // does: the controller reads the text as pasted.
    std::int32_t PasteAndStart(const std::wstring& text) {
        SetFocus(box);
        SetWindowTextW(box, L"");
        SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
        // The button's notification itself: a click would take the focus
        // first and normalize the box before Start reads it.
        SendMessageW(host.Window()->Handle(), WM_COMMAND, MAKEWPARAM(design::kId按钮1, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        host.DispatchPending();
        return host.Window()->ClickTimer().GetPeriod();
    }

    std::wstring NormalizedByLeaving() {
        SetFocus(button);
        host.DispatchPending();
        return TextOf(box);
    }

    ProgramHost host{[](const std::wstring&) { FAIL() << "no error box expected"; },
                     win32::WindowsDesktopInput::DefaultKeyStateLibraries()};
    HWND box = nullptr;
    HWND button = nullptr;
};

TEST_F(BadInputTest, AMebibyteOfPastedTextIsReadAndNormalized) {
    const std::size_t kMiB = 1024 * 1024;
    std::wstring mixed;
    while (mixed.size() < kMiB) {
        mixed += L"间隔 ms x\t";
    }
    EXPECT_EQ(PasteAndStart(L"250" + mixed), 250);
    EXPECT_EQ(NormalizedByLeaving(), L"250");

    EXPECT_EQ(PasteAndStart(L"\xFF14\xFF10" + mixed), 40) << "full-width digits, then a mebibyte";
    EXPECT_EQ(NormalizedByLeaving(), L"");
}

// Wine's edit control lays out a long run of digits in time that grows with
// the square of its length, so long numbers stay at 16 KiB here; the
// conversion itself is tested with a mebibyte of digits natively.
TEST_F(BadInputTest, LongNumbersAreReadAndNormalized) {
    const std::size_t kLong = 16 * 1024;
    EXPECT_EQ(PasteAndStart(L"0." + std::wstring(kLong, L'0') + L"1e16386"), 10);
    EXPECT_EQ(NormalizedByLeaving(), L"");

    EXPECT_EQ(PasteAndStart(std::wstring(kLong, L'9')), 0) << "infinity: stopped";

    EXPECT_EQ(PasteAndStart(std::wstring(kLong, L'0') + L"42"), 42);
    EXPECT_EQ(NormalizedByLeaving(), L"42");
}

TEST_F(BadInputTest, ControlCharactersAndCharactersOutsideTheCodePage) {
    struct Case {
        std::wstring pasted;
        std::int32_t period;
        std::wstring shown;
    };
    const Case cases[] = {
        {L"\t\r\n 40\x01" L"7", 40, L"40"},
        {std::wstring(L"12\0" L"34", 5), 12, L"12"},   // an embedded NUL ends the text
        {L"\xD800" L"5", 0, L""},                       // a lone surrogate becomes '?'
        {L"\xFF18\xFF10", 80, L""},                     // full-width digits: the conversion folds them
        {L"\x3000\xFF0D\xFF13", -3, L""},               // ideographic space, full-width minus: -3 stops
        {L"\x00E9" L"9", 0, L""},                       // no such character in code page 936
        {L"7\x4E2D", 7, L"7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Utf8(c.pasted));
        const std::int32_t period = PasteAndStart(c.pasted);
        EXPECT_EQ(period, c.period < 0 ? 0 : c.period);
        EXPECT_EQ(NormalizedByLeaving(), c.shown);
    }
}

}  // namespace
}  // namespace clicker
