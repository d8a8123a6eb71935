#pragma once

#include <string>

namespace vocrig::platform {

class Console {
public:
    virtual ~Console() = default;
    // Writes the text as it is (callers add their own line breaks).
    virtual void print(const std::string& text) = 0;
    // Moves the console window; a no-op where the console has no window of its own.
    virtual void moveWindow(int x, int y) = 0;
};

}  // namespace vocrig::platform
