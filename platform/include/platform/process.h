#pragma once

#include <optional>
#include <string>

namespace vocrig::platform {

// How a started program ended.
struct ProgramEnd {
    int status = 0;   // its exit status; -1 when it was killed or crashed
    std::string how;  // for a person: "exit status 1", "killed by signal 9 (Killed)"
};

class Process {
public:
    virtual ~Process() = default;
    // Starts a program by bare name without waiting for it: from the folder of
    // the running executable first, else from PATH. False when it cannot start.
    // The program keeps running when this one ends.
    virtual bool start(const std::string& commandLine) = 0;
    // Whether the program started last has ended: how, once; then nothing
    // until another is started. Never waits.
    virtual std::optional<ProgramEnd> ended() = 0;
};

}  // namespace vocrig::platform
