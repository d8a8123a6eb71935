#pragma once

// Helpers for tests and benches that run the real programs: a clock, whole
// files, and the CPU time a process has used.
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/posix.h"

namespace vocrig::test {

inline int64_t nowMicros() {
    platform::posix::SystemClock clock;
    return clock.monotonicMicros();
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// CPU time (user + system) a process has used so far, in seconds.
inline double cpuSecondsOf(pid_t pid) {
    std::string stat = slurp("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream in(stat.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && in >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) stime = std::stol(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Reads whatever is waiting on a port into `into`; true when something came.
inline bool drain(platform::posix::PosixSerialPort& port, std::string& into) {
    int n = port.bytesWaiting();
    if (n <= 0) return false;
    into += port.read(n);
    return true;
}

}  // namespace vocrig::test
