#pragma once

#include <cstdint>

namespace clicker {

// The user's desktop as the clicker sees it: the keyboard's asynchronous key
// state, the pointer position and the injection of a left click.
class DesktopInput {
public:
    virtual ~DesktopInput() = default;

    // Nonzero while the key is down or when it was reported pressed since an
    // earlier query; 0 otherwise (also when the platform refuses the query).
    virtual std::int16_t ReadKeyState(std::int32_t virtualKey) = 0;

    // Pointer position in screen pixels. X and Y are separate queries: the
    // pointer may move between them.
    virtual std::int32_t ReadCursorX() = 0;
    virtual std::int32_t ReadCursorY() = 0;

    // Moves the pointer to (x, y) and injects one left press and one release
    // there, back to back. Returns at once; nothing is reported.
    virtual void LeftClickAt(std::int32_t x, std::int32_t y) = 0;

protected:
    DesktopInput() = default;
    DesktopInput(const DesktopInput&) = default;
    DesktopInput& operator=(const DesktopInput&) = default;
};

}  // namespace clicker
