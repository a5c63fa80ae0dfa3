#include "click_controller.h"

#include "interval_text.h"

namespace clicker {

ClickController::ClickController(PeriodicTimer& clickTimer, TextSource& intervalText,
                                 DesktopInput& desktop)
    : clickTimer_(clickTimer), intervalText_(intervalText), desktop_(desktop) {}

void ClickController::HandleWindowCreated() {
    // The click timer arms itself with its design period when it is created;
    // nothing may click before the user asks.
    clickTimer_.SetPeriod(0);
}

void ClickController::HandleStartClicked() { ApplyIntervalText(); }

void ClickController::HandlePollTick() {
    // No edge detection: a key held through several polls acts at each. F1 is
    // acted on before F2 is queried, so both at one poll end stopped.
    if (desktop_.ReadKeyState(kVK_F1) != 0) {
        ApplyIntervalText();
    }
    if (desktop_.ReadKeyState(kVK_F2) != 0) {
        clickTimer_.SetPeriod(0);
    }
}

void ClickController::HandleClickTick() {
    const std::int32_t x = desktop_.ReadCursorX();
    const std::int32_t y = desktop_.ReadCursorY();
    desktop_.LeftClickAt(x, y);
}

void ClickController::HandleIntervalChanged() {
    // Typing alone changes nothing; the interval takes effect at Start or F1.
}

void ClickController::ApplyIntervalText() {
    const std::string text = intervalText_.ReadText();
    clickTimer_.SetPeriod(NumberToPeriod(TextToNumber(text)));
}

}  // namespace clicker
