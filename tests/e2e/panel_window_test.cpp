// The real vocpanel in a window on a private X server (run under with_xvfb),
// with this test standing in for the translator on the other end of its
// serial link: it starts, identifies the radio, shows its fixed window, takes
// a key, and on the close event sends its closing commands and saves.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/posix.h"
#include "process_tools.h"
#include "scratch_dir.h"
#include "test_config.h"

// Last: Xlib's names clash with the headers above.
#include "x_view.h"

using namespace std::chrono_literals;
using vocrig::platform::posix::PollPortWaiter;
using vocrig::platform::posix::PosixSerialPort;
using SteadyClock = std::chrono::steady_clock;

extern char** environ;

namespace {

using vocrig::test::slurp;

const char* const panelTitle = "*** ICOM Vocrig Front Panel v3.4b ***";

class PanelWindow : public ::testing::Test, protected vocrig::test::ScratchDir {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server";
        setUp("vocrig-panel-window");
        // Only the panel's lines matter: power 50, the lock line, panel level 0.
        ASSERT_TRUE((vocrig::test::TestConfig{.lockLine = true, .power = 50, .bandPlan = "6"}.write("vocrig.cfg")));
    }

    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        tearDown();
    }

    void startPanel() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        char* argv[] = {const_cast<char*>(VOCPANEL_PATH), nullptr};
        ASSERT_EQ(posix_spawn(&pid, VOCPANEL_PATH, nullptr, nullptr, argv, environ), 0);
    }

    // Reads from the link until `text` has arrived (or 10 s have passed);
    // returns everything read.
    std::string readUntil(const std::string& text) {
        PollPortWaiter waiter;
        auto end = SteadyClock::now() + 10s;
        while (received.find(text) == std::string::npos && SteadyClock::now() < end) {
            waiter.waitForInput({&link}, 50);
            int waiting = link.bytesWaiting();
            if (waiting > 0) received += link.read(waiting);
        }
        return received;
    }

    int waitForExit(std::chrono::seconds limit) {
        auto end = SteadyClock::now() + limit;
        while (SteadyClock::now() < end) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

    ::Window waitForWindow(XView& view) {
        auto end = SteadyClock::now() + 10s;
        while (SteadyClock::now() < end) {
            if (::Window w = view.find(panelTitle)) return w;
            std::this_thread::sleep_for(50ms);
        }
        return 0;
    }

    pid_t pid = 0;
    PosixSerialPort link;  // the translator's end of the panel's COM21
    std::string received;
};

TEST_F(PanelWindow, StartsTakesAKeyAndShutsDownInOrderOnClose) {
    ASSERT_TRUE(link.openVirtualPair("\\\\.\\COM21"));
    ASSERT_TRUE(link.configure(38400, 1));
    startPanel();

    ASSERT_NE(readUntil("Z1;").find("Z1;"), std::string::npos);
    link.write(std::string("Z1\x94;", 4));  // an IC-7300: the dial lock is available
    std::string start = readUntil("FA00007100000;");
    EXPECT_EQ(start, "Z1;Z2;LO0;FA00007100000;");

    XView view;
    ASSERT_TRUE(view.ok());
    ::Window window = waitForWindow(view);
    ASSERT_NE(window, 0u) << "no window titled " << panelTitle;
    int width = 0, height = 0;
    ASSERT_TRUE(view.size(window, width, height));
    EXPECT_EQ(width, 950);
    EXPECT_EQ(height, 500);
    EXPECT_GT(view.darkPixels(window, 0, 0, 950, 500), 0);  // the banner and help lines

    // A key on its way through the panel's loop must not end or upset it.
    ASSERT_EQ(std::system(("xdotool windowfocus --sync " + std::to_string(window) + " key --delay 20 F1").c_str()), 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(waitForExit(0s), -1) << "the panel ended on a key";

    received.clear();
    view.requestClose(window);
    // Polls that nobody answers, then the closing commands.
    std::string closing = readUntil("quit;");
    ASSERT_GE(closing.size(), 17u);
    EXPECT_EQ(closing.substr(closing.size() - 17), "RX0;CT0;LO0;quit;");
    EXPECT_EQ(closing.find_first_not_of("FASM0;"), closing.size() - 17) << closing;
    EXPECT_EQ(waitForExit(15s), 0);

    std::string saved = slurp("savmem.dat");
    EXPECT_EQ(saved.rfind("VOCRIG v3.2a", 0), 0u) << saved.substr(0, 40);
    EXPECT_NE(saved.find("\r\n"), std::string::npos);
    EXPECT_EQ(slurp("memory.txt").rfind("Memory Bank Information\r\n", 0), 0u);
}

TEST_F(PanelWindow, WithoutConfigurationSaysSoAndWritesNothing) {
    std::filesystem::remove("vocrig.cfg");
    startPanel();
    EXPECT_EQ(waitForExit(15s), 1);
    EXPECT_FALSE(std::filesystem::exists("savmem.dat"));
    EXPECT_FALSE(std::filesystem::exists("memory.txt"));
}

}  // namespace
