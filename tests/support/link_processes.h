#pragma once

// The real programs, joined the way an operator runs them: vocsim publishes
// the radio as ports/com5, voctrans reads vocrig.cfg in a scratch working
// directory and publishes the panel's end as ports/com21, and the caller plays
// the panel on that end. voctrans runs as a copy in a folder of its own with an
// empty PATH, so no panel program is started beside it; with `realPanel` a
// copy of vocpanel stands beside it, and voctrans starts that instead.
//
// With VOCRIG_WINE_RUN set (the Windows tests), the translator is voctrans.exe
// under Wine instead: Wine's port keys name WINE_PORTS/com5 and com20 as COM5
// and COM20, which are pointed at the radio and at a pair this harness makes,
// as com0com would on Windows.

#include <fcntl.h>
#include <signal.h>
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
#include "process_harness.h"
#include "test_config.h"

namespace vocrig::e2e {

using vocrig::test::nowMicros;
using vocrig::test::slurp;

inline void sleepMicros(int64_t micros) {
    if (micros > 0) usleep(static_cast<useconds_t>(micros));
}

// One started program, known by its process id only.
class Child {
public:
    ~Child() { stop(); }

    // Starts `exe` with `args` in `dir`, output into `outFile`; `path` replaces PATH.
    bool start(const std::string& exe, const std::vector<std::string>& args, const std::string& dir,
               const std::string& outFile, const std::string& path) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "PATH=", 5) != 0) env.emplace_back(*e);
        env.push_back("PATH=" + path);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> all{exe};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);

        pid = fork();
        if (pid < 0) return false;
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(126);
            int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int nul = ::open("/dev/null", O_RDONLY);
            if (out < 0 || nul < 0) _exit(126);
            dup2(out, 1);
            dup2(out, 2);
            dup2(nul, 0);
            execve(exe.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        return true;
    }

    // The exit status once the program has ended within `ms`, else -1.
    int waitExit(int ms) {
        int64_t end = nowMicros() + static_cast<int64_t>(ms) * 1000;
        while (pid > 0) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return exitStatus;
            }
            if (nowMicros() > end) return -1;
            usleep(5000);
        }
        return exitStatus;
    }

    // CPU time (user + system) used so far, in seconds.
    double cpuSeconds() const { return vocrig::test::cpuSecondsOf(pid); }

    // Asks the program to end (it tidies its published links), then insists.
    void stop() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        if (waitExit(2000) >= 0) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }

    bool running() const { return pid > 0; }
    pid_t pid = -1;
    int exitStatus = -1;
};

class LinkProcesses {
public:
    ~LinkProcesses() {
        panel.close();
        translator.stop();
        radio.stop();
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }

    // `binDir` holds vocsim and voctrans; `radioOptions` go to vocsim as well.
    // False when something did not come up.
    bool start(const std::string& binDir, const std::string& model = "7300", int debug = 1,
               const std::vector<std::string>& radioOptions = {}) {
        char tmpl[] = "/tmp/vocrig-e2e-XXXXXX";
        if (!mkdtemp(tmpl)) return false;
        dir = tmpl;
        std::filesystem::create_directories(dir + "/bin");
        std::filesystem::create_directories(dir + "/ports");
        std::filesystem::copy_file(binDir + "/voctrans", dir + "/bin/voctrans");
        if (realPanel) std::filesystem::copy_file(binDir + "/vocpanel", dir + "/bin/vocpanel");
        if (!wordSet.empty()) std::filesystem::create_directory_symlink(wordSet, dir + "/wave");
        test::TestConfig config{.model = model, .passThrough = std::to_string(passThroughPort), .debug = debug};
        if (!config.write(dir + "/vocrig.cfg")) return false;

        const char* wineRun = std::getenv("VOCRIG_WINE_RUN");
        if (wineRun) std::filesystem::copy_file(std::getenv("VOCTRANS_EXE"), dir + "/bin/voctrans.exe");

        std::vector<std::string> radioArgs{"--publish", radioLink, "--model", "7300", "--seed", "1"};
        radioArgs.insert(radioArgs.end(), radioOptions.begin(), radioOptions.end());
        if (!radio.start(binDir + "/vocsim", radioArgs, dir, dir + "/vocsim.txt",
                         std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin"))
            return false;
        if (!waitForLink(dir + "/" + radioLink)) return false;
        if (betweenRadioAndTranslator && !betweenRadioAndTranslator()) return false;
        if (wineRun) return startUnderWine(wineRun);
        return startTranslator();
    }

    // Starts voctrans (again, after it has ended) and opens the panel's end it publishes.
    bool startTranslator() {
        panel.close();
        if (!translator.start(dir + "/bin/voctrans", {}, dir, dir + "/voctrans.txt", dir + "/nothing-here"))
            return false;
        if (!waitForLink(dir + "/ports/com21")) return false;
        if (realPanel) return true;
        return openPanel();
    }

    // Opens the panel's end of the link as vocpanel does: exclusively.
    bool openPanel() { return panel.openPath(dir + "/ports/com21") && panel.configure(38400, 2); }

    // Writes one panel command and collects what comes back for `ms`
    // (the translator takes one command per read, so commands go out paced).
    std::string exchange(const std::string& command, int ms = 100) {
        panel.write(command);
        return collect(ms);
    }

    // Writes a command, again every 100 ms, until a reply holds `expected`
    // (so a loaded machine only makes it slower); what came, or "" after `ms`.
    std::string await(const std::string& command, const std::string& expected, int ms = 5000) {
        std::string got;
        int64_t end = nowMicros() + static_cast<int64_t>(ms) * 1000;
        while (nowMicros() < end) {
            got += exchange(command);
            if (got.find(expected) != std::string::npos) return expected;
        }
        return got;
    }

    std::string collect(int ms) {
        std::string got;
        int64_t end = nowMicros() + static_cast<int64_t>(ms) * 1000;
        while (nowMicros() < end) {
            int n = panel.bytesWaiting();
            if (n > 0)
                got += panel.read(n);
            else
                usleep(1000);
        }
        return got;
    }

    std::string file(const std::string& name) const { return slurp(dir + "/" + name); }
    bool linkExists(const std::string& name) const { return std::filesystem::is_symlink(dir + "/" + name); }

    bool realPanel = false;
    std::string wordSet;      // a folder linked as wave/ for the panel
    int passThroughPort = 0;  // 1-9: the translator publishes ports/com<N+1> for a second CI-V program
    // Where vocsim publishes the radio; anywhere but ports/com5, what runs
    // between the radio and the translator must make ports/com5 lead to it.
    std::string radioLink = "ports/com5";
    std::function<bool()> betweenRadioAndTranslator;

    Child radio, translator;
    platform::posix::PosixSerialPort panel;
    std::string dir;

private:
    bool startUnderWine(const std::string& wineRun) {
        const std::string ports = std::getenv("VOCRIG_WINE_PORTS");
        for (const char* name : {"/com5", "/com20"}) {
            std::filesystem::remove(ports + name);
            std::filesystem::create_symlink(dir + "/ports" + name, ports + name);
        }
        if (!panel.openVirtualPairAt(dir + "/ports/com20") || !panel.configure(38400, 2)) return false;
        if (!translator.start(wineRun, {std::getenv("VOCRIG_WINE_PREFIX"), "run", dir + "/bin/voctrans.exe"}, dir,
                              dir + "/voctrans.txt", dir + "/nothing-here"))
            return false;
        // Bytes sent before it has opened COM20 are flushed by the opening:
        // ask until it answers, then let the rest of the answers pass.
        int64_t end = nowMicros() + 20'000'000;
        while (nowMicros() < end && translator.waitExit(0) < 0) {
            if (!exchange("Z1;", 300).empty()) {
                collect(300);
                return true;
            }
        }
        return false;
    }

    static bool waitForLink(const std::string& path) {
        int64_t end = nowMicros() + 10'000'000;
        while (nowMicros() < end) {
            if (std::filesystem::is_symlink(path)) return true;
            usleep(10000);
        }
        return false;
    }
};

}  // namespace vocrig::e2e
