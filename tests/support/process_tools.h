#pragma once

// Helpers for tests and benches that run the real programs: a clock, whole
// files, and the CPU time a process has used.
#include <dirent.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix.h"

namespace vocrig::test {

inline int64_t nowMicros() {
    platform::posix::SystemClock clock;
    return clock.monotonicMicros();
}

// Where the programs under test are: the folder VOCRIG_BIN_DIR names when it
// is set (a copy an ordinary user can read, made by tests/unprivileged), else
// `built`, where the build put them.
inline std::string programDir(const std::string& built) {
    const char* copy = std::getenv("VOCRIG_BIN_DIR");
    return copy && *copy ? copy : built;
}

// A program under test by the path the build gave it, found the same way.
inline std::string programPath(const std::string& built) {
    return programDir(built.substr(0, built.find_last_of('/'))) + built.substr(built.find_last_of('/'));
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

// The process running the program `exe` (its full path), or -1: for a
// program another one started, such as the panel voctrans starts.
inline pid_t pidOfProgram(const std::string& exe) {
    pid_t found = -1;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    while (dirent* entry = readdir(proc)) {
        std::error_code error;
        if (std::filesystem::read_symlink("/proc/" + std::string(entry->d_name) + "/exe", error).string() == exe)
            found = static_cast<pid_t>(std::atoi(entry->d_name));
    }
    closedir(proc);
    return found;
}

// A process's resident memory, in kB (0 when it has gone).
inline long residentKb(pid_t pid) {
    std::istringstream status(slurp("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// Processes working in folder `dir` (any folder when it is empty) whose
// command line holds `what` (Wine shows a Windows program by the command line
// it was started with).
inline std::vector<pid_t> processesIn(const std::string& dir, const std::string& what = "") {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0) continue;
        const std::string here = "/proc/" + std::string(entry->d_name);
        std::error_code error;
        if (!dir.empty() && std::filesystem::read_symlink(here + "/cwd", error).string() != dir) continue;
        std::string cmdline = slurp(here + "/cmdline");
        for (char& c : cmdline)
            if (c == '\0') c = ' ';
        if (cmdline.find(what) != std::string::npos) found.push_back(pid);
    }
    closedir(proc);
    return found;
}

// Reads whatever is waiting on a port into `into`; true when something came.
inline bool drain(platform::posix::PosixSerialPort& port, std::string& into) {
    int n = port.bytesWaiting();
    if (n <= 0) return false;
    into += port.read(n);
    return true;
}

}  // namespace vocrig::test
