#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/process.h"

namespace vocrig::platform::fake {

class RecordingConsole : public Console {
public:
    void print(const std::string& text) override { output += text; }
    void moveWindow(int x, int y) override {
        movedX = x;
        movedY = y;
    }
    std::string output;
    int movedX = -1, movedY = -1;
};

class RecordingProcess : public Process {
public:
    bool start(const std::string& commandLine) override {
        started.push_back(commandLine);
        return succeed;
    }
    std::optional<ProgramEnd> ended() override {
        std::optional<ProgramEnd> end = programEnd;
        programEnd.reset();
        return end;
    }
    std::vector<std::string> started;
    bool succeed = true;
    std::optional<ProgramEnd> programEnd;  // what the next ended() tells, once
};

}  // namespace vocrig::platform::fake
