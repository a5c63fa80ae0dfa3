#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ports/desktop_input.h"
#include "ports/text_source.h"

namespace clicker::testing {

// The interval box: a text that the test sets, and a count of reads.
class ScriptedTextSource final : public TextSource {
public:
    std::string ReadText() override {
        ++reads;
        return text;
    }

    std::string text;
    int reads = 0;
};

// The desktop: key states and pointer positions that the test sets, and a log
// of every call in the order made.
class ScriptedDesktopInput final : public DesktopInput {
public:
    struct Point {
        std::int32_t x;
        std::int32_t y;
    };

    std::int16_t ReadKeyState(std::int32_t virtualKey) override {
        log.push_back("key " + std::to_string(virtualKey));
        const auto it = keyStates.find(virtualKey);
        return it == keyStates.end() ? std::int16_t{0} : it->second;
    }

    std::int32_t ReadCursorX() override {
        log.push_back("x");
        return NextPointer().x;
    }

    std::int32_t ReadCursorY() override {
        log.push_back("y");
        return NextPointer().y;
    }

    void LeftClickAt(std::int32_t x, std::int32_t y) override {
        log.push_back("click " + std::to_string(x) + "," + std::to_string(y));
        clicks.push_back({x, y});
    }

    // Each pointer query moves the pointer to the next scripted position; the
    // last one stays.
    void ScriptPointer(std::vector<Point> positions) {
        pointer_ = std::move(positions);
        nextPointer_ = 0;
    }

    std::map<std::int32_t, std::int16_t> keyStates;
    std::vector<std::string> log;
    std::vector<Point> clicks;

private:
    Point NextPointer() {
        if (pointer_.empty()) {
            return {0, 0};
        }
        const Point p = pointer_[nextPointer_];
        if (nextPointer_ + 1 < pointer_.size()) {
            ++nextPointer_;
        }
        return p;
    }

    std::vector<Point> pointer_;
    std::size_t nextPointer_ = 0;
};

}  // namespace clicker::testing
