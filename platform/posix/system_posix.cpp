#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/line_reader.h"
#include "platform/posix.h"
#include "platform/stdio_writer.h"

extern char** environ;

namespace vocrig::platform::posix {

void StdConsole::print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string executableDir() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string path(buf, static_cast<size_t>(n));
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

namespace {

std::vector<std::string> splitWords(const std::string& commandLine) {
    std::vector<std::string> words;
    std::istringstream in(commandLine);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

bool isExecutableFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool PosixProcess::start(const std::string& commandLine) {
    std::vector<std::string> words = splitWords(commandLine);
    if (words.empty()) return false;
    std::string program = words[0];
    bool searchPath = true;
    if (program.find('/') == std::string::npos) {
        std::string beside = executableDir() + "/" + program;
        if (isExecutableFile(beside)) {
            program = beside;
            searchPath = false;
        }
    } else {
        searchPath = false;
    }
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv[0] = program.data();
    argv.push_back(nullptr);

    // A session of its own (a Ctrl-C meant for us does not reach it), and no
    // signals held, whatever its starter holds.
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    int rc = searchPath ? ::posix_spawnp(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ)
                        : ::posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    if (rc != 0) return false;
    // Watched by ended(); a program started earlier and still unreaped is
    // collected when it ends, so none is left a zombie for long.
    if (child > 0) earlier.push_back(child);
    child = pid;
    return true;
}

std::optional<ProgramEnd> PosixProcess::ended() {
    std::erase_if(earlier, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
    if (child <= 0) return std::nullopt;
    int status = 0;
    pid_t got = ::waitpid(child, &status, WNOHANG);
    if (got == 0 || (got < 0 && errno == EINTR)) return std::nullopt;
    child = -1;
    if (got < 0) return ProgramEnd{-1, "ended unseen"};  // reaped elsewhere
    if (WIFEXITED(status)) return ProgramEnd{WEXITSTATUS(status), "exit status " + std::to_string(WEXITSTATUS(status))};
    int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return ProgramEnd{-1, "killed by signal " + std::to_string(signal) + " (" + ::strsignal(signal) + ")"};
}

LocalTime SystemClock::localTime() {
    time_t now = ::time(nullptr);
    struct tm tm {};
    ::localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void SystemClock::sleepMs(int ms) {
    if (ms <= 0) return;
    timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

int64_t SystemClock::monotonicMicros() {
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

bool DiskFiles::exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool DiskFiles::remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool DiskFiles::rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool DiskFiles::readLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    lines = splitLines(all.str());
    return true;
}

bool DiskFiles::writeLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l;
        text += "\r\n";
    }
    std::string tmp = path + ".tmp";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    // The new contents must be on disk before the rename makes them the file;
    // otherwise a power cut could leave an empty file under the old name.
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

std::unique_ptr<FileWriter> DiskFiles::create(const std::string& path) {
    return stdioWriter(std::fopen(path.c_str(), "wbe"));
}

std::unique_ptr<FileWriter> DiskFiles::append(const std::string& path) {
    return stdioWriter(std::fopen(path.c_str(), "abe"));
}

}  // namespace vocrig::platform::posix
