// The vocsim program itself, over a real pseudo-terminal.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "civ_codec.h"
#include "platform/posix.h"

using platform::posix::PollPortWaiter;
using platform::posix::PosixSerialPort;
using platform::posix::SystemClock;

extern char** environ;

namespace {

class VocsimProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vocsim-test-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
    }

    // Starts vocsim with its output in log.txt.
    void launch(std::vector<std::string> args) {
        args.insert(args.begin(), VOCSIM_PATH);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "log.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        ASSERT_EQ(posix_spawn(&pid, VOCSIM_PATH, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    // Waits for the program to end; its exit status, or -1 after `seconds`.
    int waitForExit(double seconds) {
        SystemClock clock;
        int64_t end = clock.monotonicMicros() + static_cast<int64_t>(seconds * 1e6);
        while (clock.monotonicMicros() < end) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            clock.sleepMs(10);
        }
        return -1;
    }
    bool waitForPath(const std::string& path) {
        SystemClock clock;
        for (int i = 0; i < 300; ++i) {
            if (std::filesystem::exists(std::filesystem::symlink_status(path))) return true;
            clock.sleepMs(10);
        }
        return false;
    }
    static std::string exchange(PosixSerialPort& port, const std::string& frame, size_t expect) {
        port.write(frame);
        std::string got;
        PollPortWaiter waiter;
        SystemClock clock;
        int64_t end = clock.monotonicMicros() + 2'000'000;
        while (got.size() < expect && clock.monotonicMicros() < end) {
            waiter.waitForInput({&port}, 20);
            got += port.read(port.bytesWaiting());
        }
        return radiosim::hexBytes(got);
    }
    static std::string slurp(const std::string& path) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string dir;
    std::filesystem::path old;
    pid_t pid = -1;
};

TEST_F(VocsimProgram, PublishedRadioAnswersAndLeavesCleanlyOnSigterm) {
    launch({"--publish", "ports/com5", "--echo", "--model", "705"});
    ASSERT_TRUE(waitForPath("ports/com5"));
    PosixSerialPort port;
    ASSERT_TRUE(port.open("COM5"));
    ASSERT_TRUE(port.configure(19200, 1));
    std::string identity = radiosim::buildFrame(0x00, 0xE0, std::string("\x19\x00", 2));
    EXPECT_EQ(exchange(port, identity, 15), "FE FE 00 E0 19 00 FD FE FE E0 A4 19 00 A4 FD");
    std::string setFrequency = radiosim::buildFrame(0xA4, 0xE0, std::string("\x05\x00\x00\x25\x14\x00", 6));
    EXPECT_EQ(exchange(port, setFrequency, 17), "FE FE A4 E0 05 00 00 25 14 00 FD FE FE E0 A4 FB FD");
    port.close();
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    EXPECT_EQ(waitForExit(3), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status("ports/com5")));
    std::string log = slurp("log.txt");
    EXPECT_NE(log.find("IC-705 (CI-V address A4h) on ports/com5"), std::string::npos) << log;
    EXPECT_NE(log.find("VFO A 7.100000 MHz -> 14.250000 MHz"), std::string::npos) << log;
    EXPECT_NE(log.find("stopped by"), std::string::npos) << log;
}

TEST_F(VocsimProgram, UnplugFaultHangsUpAndEnds) {
    launch({"--publish", "ports/com6", "--unplug-after", "0.3"});
    ASSERT_TRUE(waitForPath("ports/com6"));
    EXPECT_EQ(waitForExit(5), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status("ports/com6")));
    EXPECT_NE(slurp("log.txt").find("unplugged"), std::string::npos);
}

TEST_F(VocsimProgram, HelpAndBadOptions) {
    launch({"--help"});
    EXPECT_EQ(waitForExit(5), 0);
    EXPECT_NE(slurp("log.txt").find("Usage: vocsim"), std::string::npos);
    launch({"--drop", "2"});
    EXPECT_EQ(waitForExit(5), 2);
    EXPECT_NE(slurp("log.txt").find("--drop needs a fraction"), std::string::npos);
    launch({"--port", "/nonexistent/tty"});
    EXPECT_EQ(waitForExit(5), 1);
    EXPECT_NE(slurp("log.txt").find("cannot open /nonexistent/tty"), std::string::npos);
}

}  // namespace
