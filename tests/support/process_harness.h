#pragma once

// Runs the real voctrans in a scratch working directory, with a pseudo-terminal
// for its radio (published as ports/com5) and the panel end it publishes itself.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix.h"
#include "process_tools.h"
#include "test_config.h"

extern char** environ;

namespace vocrig::test {

class VoctransProcess {
public:
    ~VoctransProcess() {
        stop();
        panel.close();
        radio.close();
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }

    // Lines of vocrig.cfg after the model line are the panel's and ours.
    // `panelScript`, when given, is installed as the panel program beside the copy.
    bool start(const std::string& binary, const std::string& model = "7300", int debug = 1,
               const std::string& panelScript = "") {
        char tmpl[] = "/tmp/vocrig-voctrans-XXXXXX";
        if (!mkdtemp(tmpl)) return false;
        dir = tmpl;
        std::filesystem::create_directories(dir + "/bin");
        // A copy of its own, so no panel program is found beside it.
        std::filesystem::copy_file(binary, dir + "/bin/voctrans");
        if (!panelScript.empty()) {
            std::ofstream(dir + "/bin/vocpanel") << panelScript;
            std::filesystem::permissions(dir + "/bin/vocpanel", std::filesystem::perms::owner_all);
        }
        TestConfig config{.model = model, .debug = debug};
        if (!config.write(dir + "/vocrig.cfg")) return false;
        if (!radio.openVirtualPairAt(dir + "/ports/com5") || !radio.configure(19200, 1)) return false;

        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "PATH=", 5) != 0) env.emplace_back(*e);
        env.push_back("PATH=" + dir + "/nothing-here");
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string exe = dir + "/bin/voctrans";
        std::string out = dir + "/console.txt";

        pid = fork();
        if (pid < 0) return false;
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(126);
            int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int nul = ::open("/dev/null", O_RDONLY);
            if (fd < 0 || nul < 0) _exit(126);
            dup2(fd, 1);
            dup2(nul, 0);
            char* argv[] = {exe.data(), nullptr};
            execve(exe.c_str(), argv, envp.data());
            _exit(127);
        }
        // The panel's end appears once the translator has started.
        int64_t end = nowMicros() + 10000000;
        while (nowMicros() < end) {
            if (std::filesystem::is_symlink(dir + "/ports/com21") && panel.openPath(dir + "/ports/com21"))
                return panel.configure(38400, 1);
            usleep(10000);
        }
        return false;
    }

    std::string console() const { return slurp(dir + "/console.txt"); }
    std::string log() const { return slurp(dir + "/debug.dat"); }

    // Waits for the process to end; its exit status, or -1 when it is still running.
    int waitExit(int ms) {
        int64_t end = nowMicros() + static_cast<int64_t>(ms) * 1000;
        while (pid > 0) {
            int status = 0;
            pid_t r = waitpid(pid, &status, WNOHANG);
            if (r == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (nowMicros() > end) return -1;
            usleep(5000);
        }
        return -1;
    }

    // CPU time used by the process so far, in seconds.
    double cpuSeconds() const { return cpuSecondsOf(pid); }

    bool running() const { return pid > 0; }

    void stop() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }

    platform::posix::PosixSerialPort radio;  // our end of the radio's cable
    platform::posix::PosixSerialPort panel;  // the panel's end of the null-modem pair
    std::string dir;
    pid_t pid = -1;
};

// A radio with address 94h that echoes every frame (as on a CI-V bus) and
// answers frequency, frequency-set and AF-gain queries.
struct ScriptedRadio {
    explicit ScriptedRadio(platform::posix::PosixSerialPort& port) : port(port) {}

    void pump() {
        drain(port, pending);
        size_t fd;
        while ((fd = pending.find('\xFD')) != std::string::npos) {
            std::string frame = pending.substr(0, fd + 1);
            pending.erase(0, fd + 1);
            received.push_back(frame);
            if (echo) port.write(frame);
            answer(frame);
        }
    }

    void answer(const std::string& frame) {
        if (frame.size() < 6 || frame.compare(0, 4, std::string("\xFE\xFE\x94\xE0", 4)) != 0) return;
        const std::string head("\xFE\xFE\xE0\x94", 4);
        unsigned char command = static_cast<unsigned char>(frame[4]);
        if (command == 0x03) {
            port.write(head + "\x03" + frequency + "\xFD");
        } else if (command == 0x05 && frame.size() == 11) {
            frequency = frame.substr(5, 5);
            port.write(head + "\xFB\xFD");
        } else if (command == 0x14 && frame.size() == 7 && frame[5] == '\x01') {
            port.write(head + std::string("\x14\x01\x01\x28\xFD", 5));
        }
    }

    platform::posix::PosixSerialPort& port;
    std::string pending;
    std::vector<std::string> received;
    std::string frequency = std::string("\x00\x00\x10\x07\x00", 5);  // 7.1 MHz
    bool echo = true;
};

}  // namespace vocrig::test
