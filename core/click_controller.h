#pragma once

#include <cstdint>

#include "periodic_timer.h"
#include "ports/desktop_input.h"
#include "ports/text_source.h"

namespace clicker {

// Virtual-key codes of the two hotkeys. Named kVK_F1/kVK_F2 rather than
// VK_F1/VK_F2 because <windows.h> defines those as macros, and this header is
// included next to it by the Windows layer.
inline constexpr std::int32_t kVK_F1 = 0x70;  // start or retarget the clicking
inline constexpr std::int32_t kVK_F2 = 0x71;  // stop the clicking

// The clicker's whole behaviour, as five event handlers. It keeps no state of
// its own: the program is clicking exactly while the click timer's period is
// above 0.
class ClickController {
public:
    // All three are borrowed and outlive the controller.
    ClickController(PeriodicTimer& clickTimer, TextSource& intervalText, DesktopInput& desktop);

    ClickController(const ClickController&) = delete;
    ClickController& operator=(const ClickController&) = delete;

    void HandleWindowCreated();
    void HandleStartClicked();
    void HandlePollTick();
    void HandleClickTick();
    void HandleIntervalChanged();

private:
    // Start and F1: read the box, convert, write the click period.
    void ApplyIntervalText();

    PeriodicTimer& clickTimer_;
    TextSource& intervalText_;
    DesktopInput& desktop_;
};

}  // namespace clicker
