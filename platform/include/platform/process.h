#pragma once

#include <string>

namespace vocrig::platform {

class Process {
public:
    virtual ~Process() = default;
    // Starts a program by bare name without waiting for it: from the folder of
    // the running executable first, else from PATH. False when it cannot start.
    virtual bool start(const std::string& commandLine) = 0;
};

}  // namespace vocrig::platform
