// The vocsim program itself, over a real pseudo-terminal.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "civ_codec.h"
#include "platform/posix.h"
#include "process_tools.h"
#include "scratch_dir.h"

using vocrig::platform::posix::PollPortWaiter;
using vocrig::platform::posix::PosixSerialPort;
using vocrig::platform::posix::SystemClock;

extern char** environ;

namespace {

using vocrig::test::slurp;

class VocsimProgram : public ::testing::Test, protected vocrig::test::ScratchDir {
protected:
    void SetUp() override { setUp("vocsim-test"); }
    void TearDown() override {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        tearDown();
    }

    // Starts a program (looked up in PATH) with its input from `input` when given,
    // its output in `output` and its errors in `errors`; -1 when it cannot start.
    static pid_t spawn(std::vector<std::string> args, const std::string& input, const std::string& output,
                       const std::string& errors) {
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!input.empty()) posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (errors == output)
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
        else
            posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t child = -1;
        if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) child = -1;
        posix_spawn_file_actions_destroy(&actions);
        return child;
    }
    // Starts vocsim with its output in log.txt.
    void launch(std::vector<std::string> args) {
        args.insert(args.begin(), VOCSIM_PATH);
        pid = spawn(std::move(args), "", "log.txt", "log.txt");
        ASSERT_GT(pid, 0);
    }
    // Waits for a program to end; its exit status, or -1 after `seconds`.
    static int waitForExit(pid_t& child, double seconds) {
        SystemClock clock;
        int64_t end = clock.monotonicMicros() + static_cast<int64_t>(seconds * 1e6);
        while (clock.monotonicMicros() < end) {
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) == child) {
                child = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            clock.sleepMs(10);
        }
        return -1;
    }
    int waitForExit(double seconds) { return waitForExit(pid, seconds); }
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
        return vocrig::radiosim::hexBytes(got);
    }

    pid_t pid = -1;
};

TEST_F(VocsimProgram, PublishedRadioAnswersAndLeavesCleanlyOnSigterm) {
    launch({"--publish", "ports/com5", "--echo", "--model", "705"});
    ASSERT_TRUE(waitForPath("ports/com5"));
    PosixSerialPort port;
    ASSERT_TRUE(port.open("COM5"));
    ASSERT_TRUE(port.configure(19200, 1));
    std::string identity = vocrig::radiosim::buildFrame(0x00, 0xE0, std::string("\x19\x00", 2));
    EXPECT_EQ(exchange(port, identity, 15), "FE FE 00 E0 19 00 FD FE FE E0 A4 19 00 A4 FD");
    std::string setFrequency = vocrig::radiosim::buildFrame(0xA4, 0xE0, std::string("\x05\x00\x00\x25\x14\x00", 6));
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

// A CI-V program we did not write: Hamlib's IC-7300 backend, driven through
// Debian's rigctl, one command per line. Its cache is off, so every read is a
// question to the radio, and each answer is checked by what rigctl prints.
TEST_F(VocsimProgram, HamlibRigctlDrivesTheRadio) {
    struct Row {
        const char* command;
        const char* printed;  // regular expression for rigctl's whole answer; "" for a setting
    };
    const std::string strength = "Level Value: -?[0-9]+";
    const std::string someSwr = "Level Value: (1\\.0*[1-9]|[2-9]\\.)[0-9]*";
    std::vector<Row> rows = {
        {"f", "Frequency: 7100000"}, {"m", "Mode: LSB\nPassband: 2400"},
        {"F 14250000", ""}, {"f", "Frequency: 14250000"},
        {"M USB 2400", ""}, {"m", "Mode: USB\nPassband: 2400"},
        {"M PKTUSB 3000", ""}, {"m", "Mode: PKTUSB\nPassband: 3000"},  // the data flag and a width
        {"M USB 2400", ""}, {"m", "Mode: USB\nPassband: 2400"},
        {"v", ""},  // filled in below: this Hamlib may not read the VFO of an IC-7300
        {"V VFOB", ""}, {"f", "Frequency: 7100000"}, {"m", "Mode: LSB\nPassband: 2400"},
        {"V VFOA", ""}, {"f", "Frequency: 14250000"},
        {"s", "Split: 0\nTX VFO: VFOA"}, {"S 1 VFOB", ""}, {"s", "Split: 1\nTX VFO: VFOB"},
        {"S 0 VFOA", ""}, {"s", "Split: 0\nTX VFO: VFOA"},
        {"t", "PTT: 0"}, {"l SWR", "Level Value: 1\\.0+"},
        {"T 1", ""}, {"t", "PTT: 1"}, {"l SWR", someSwr.c_str()}, {"T 0", ""}, {"t", "PTT: 0"},
        {"l AF", "Level Value: 0\\.501961"}, {"L AF 0.5", ""}, {"l AF", "Level Value: 0\\.498039"},
        {"l STRENGTH", strength.c_str()},
        {"u NB", "Func Status: 0"}, {"U NB 1", ""}, {"u NB", "Func Status: 1"},
        {"U NB 0", ""}, {"u NB", "Func Status: 0"},
    };
    const std::vector<std::string> rigctl = {"rigctl", "-m", "3073"};
    auto run = [&](std::vector<std::string> args, const std::string& input) {
        pid_t child = spawn(std::move(args), input, "rigctl.txt", "rigctl-errors.txt");
        EXPECT_GT(child, 0) << "rigctl did not start: tools/bootstrap installs libhamlib-utils";
        if (child <= 0) return false;
        int status = waitForExit(child, 60);
        if (child > 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        EXPECT_EQ(status, 0) << slurp("rigctl.txt") << slurp("rigctl-errors.txt");
        return status == 0;
    };
    std::vector<std::string> caps = rigctl;
    caps.push_back("--dump-caps");
    ASSERT_TRUE(run(caps, ""));
    std::string vfoAnswer = slurp("rigctl.txt").find("Can get VFO:\tY") != std::string::npos
                                ? "VFO: VFOA"
                                : "[\\s\\S]*Feature not available";
    rows[10].printed = vfoAnswer.c_str();

    launch({"--publish", "ports/com5", "-v"});
    ASSERT_TRUE(waitForPath("ports/com5"));
    std::ofstream("commands.txt") << [&] {
        std::string text;
        for (const Row& row : rows) text += std::string(row.command) + "\n";
        return text;
    }();
    std::vector<std::string> args = rigctl;
    args.insert(args.end(), {"-r", "ports/com5", "-s", "19200", "-C", "cache_timeout=0", "-C", "timeout=10000"});
    ASSERT_TRUE(run(args, "commands.txt"));

    // rigctl prompts before each line it reads; what follows a prompt is its answer.
    std::string out = slurp("rigctl.txt");
    std::vector<std::string> answers;
    const std::string prompt = "Rig command: ";
    for (size_t at = out.find(prompt); at != std::string::npos;) {
        size_t next = out.find(prompt, at + prompt.size());
        std::string answer = out.substr(at + prompt.size(), next == std::string::npos ? next : next - at - prompt.size());
        answer.erase(answer.find_last_not_of(" \n") + 1);
        answers.push_back(answer);
        at = next;
    }
    ASSERT_GE(answers.size(), rows.size()) << out;
    std::string log = slurp("log.txt");
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_TRUE(std::regex_match(answers[i], std::regex(rows[i].printed)))
            << rows[i].command << " printed \"" << answers[i] << "\"\n" << log;
    // Everything Hamlib asked was understood.
    EXPECT_EQ(log.find("refused"), std::string::npos) << log;
    EXPECT_NE(log.find("set selected VFO mode USB-D FIL1"), std::string::npos) << log;
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    EXPECT_EQ(waitForExit(3), 0);
}

}  // namespace
