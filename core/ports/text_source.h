#pragma once

#include <string>

namespace clicker {

// Where the typed interval comes from.
class TextSource {
public:
    virtual ~TextSource() = default;

    // The current text, read anew at every call, as code page 936 bytes; the
    // empty string for an empty box.
    virtual std::string ReadText() = 0;

protected:
    TextSource() = default;
    TextSource(const TextSource&) = default;
    TextSource& operator=(const TextSource&) = default;
};

}  // namespace clicker
