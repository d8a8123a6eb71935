// The real voctrans over pseudo-terminals: a scripted radio on one side, the
// panel's end of the null-modem pair on the other.
#include <gtest/gtest.h>

#include "process_harness.h"

namespace vocrig::test {
namespace {

class VoctransProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(proc.start(programPath(VOCTRANS_PATH))) << "voctrans did not start";
    }

    // Runs the radio and collects panel bytes until `done` holds or the time is up.
    bool until(const std::function<bool()>& done, int ms = 3000) {
        int64_t end = nowMicros() + static_cast<int64_t>(ms) * 1000;
        platform::posix::PollPortWaiter waiter;
        while (nowMicros() < end) {
            radio.pump();
            drain(proc.panel, fromTranslator);
            if (done()) return true;
            waiter.waitForInput({&proc.radio, &proc.panel}, 10);
        }
        return done();
    }

    // Lets the radio's echo and answers of the last command arrive: the translator takes one
    // frame per read, so a panel that fires the next command at once can lose an answer.
    void settle(int ms = 100) {
        until([] { return false; }, ms);
    }

    bool replyArrives(const std::string& text, int ms = 3000) {
        return until([&] { return fromTranslator.find(text) != std::string::npos; }, ms);
    }

    bool radioReceives(const std::string& frame, int ms = 3000) {
        return until(
            [&] {
                for (const auto& f : radio.received)
                    if (f == frame) return true;
                return false;
            },
            ms);
    }

    VoctransProcess proc;
    ScriptedRadio radio{proc.radio};
    std::string fromTranslator;
};

const std::string header("\xFE\xFE\x94\xE0", 4);

TEST_F(VoctransProgram, StartsTranslatesBothWaysAndQuits) {
    ASSERT_TRUE(until([&] { return proc.console().find("Radio= 7300\n\n") != std::string::npos; }));
    std::string console = proc.console();
    EXPECT_EQ(console.rfind("Vocrig Translator v3.4b  ", 0), 0u) << console;
    EXPECT_NE(console.find("\nCom= COM5  speed=  19200   Radio= 7300\n\n"), std::string::npos) << console;

    // Frequency set: one frame; the echo of it makes the radio heard.
    proc.panel.write("FA00014250000;");
    ASSERT_TRUE(radioReceives(header + std::string("\x05\x00\x00\x25\x14\x00\xFD", 7)));

    // Poll: answered at once from what the translator knows, and the radio is asked.
    radio.frequency = std::string("\x00\x40\x07\x07\x00", 5);  // the dial moved to 7.074 MHz
    proc.panel.write("FA;");
    ASSERT_TRUE(replyArrives("FA00014250000;"));
    ASSERT_TRUE(radioReceives(header + "\x03\xFD"));
    // The radio's answer to that poll's query is told by the next poll.
    settle();
    fromTranslator.clear();
    proc.panel.write("FA;");
    EXPECT_TRUE(replyArrives("FA00007074000;")) << fromTranslator;

    // A query answered by the radio later: the reply is deferred.
    settle();
    fromTranslator.clear();
    proc.panel.write("AG0;");
    EXPECT_TRUE(replyArrives("AG0128;")) << fromTranslator;

    proc.panel.write("quit;");
    EXPECT_EQ(proc.waitExit(5000), 0);
    EXPECT_NE(proc.console().find("\nQuit\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(proc.dir + "/ports/com21")));
    std::string log = proc.log();
    EXPECT_NE(log.find("FromProg= FA00014250000;\r\nTORADIO= FE FE 94 E0 05 00 00 25 14 00 FD  \r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("ToProg= AG0128;\r\n"), std::string::npos);
    EXPECT_NE(log.find("Quit\r\n"), std::string::npos);
}

TEST_F(VoctransProgram, RadioThatHangsUpIsNoBusyLoopAndHoldsReplies) {
    proc.panel.write("FA00014250000;");
    ASSERT_TRUE(radioReceives(header + std::string("\x05\x00\x00\x25\x14\x00\xFD", 7)));
    usleep(50000);
    proc.radio.close();  // unplugged
    usleep(100000);

    double before = proc.cpuSeconds();
    usleep(1000000);
    double used = proc.cpuSeconds() - before;
    EXPECT_LT(used, 0.5) << "the loop spins on the dead port";

    // Its replies are held back, so the panel's own silence rule tells the operator.
    fromTranslator.clear();
    proc.panel.write("FA;");
    until([] { return false; }, 300);
    EXPECT_EQ(fromTranslator, "");
    EXPECT_NE(proc.console().find("Radio lost\n"), std::string::npos) << proc.console();
    proc.panel.write("quit;");
    EXPECT_EQ(proc.waitExit(5000), 0);
}

// The panel program beside the translator is started in the working folder;
// an interrupt ends the run and removes the published port. (The stand-in
// panel stays while the translator runs, as a panel does.)
TEST(VoctransPanelStart, PanelBesideTheTranslatorStartsAndAnInterruptEndsTheRun) {
    VoctransProcess proc;
    ASSERT_TRUE(proc.start(programPath(VOCTRANS_PATH), "7300", 0,
                           "#!/bin/sh\n/usr/bin/touch panel-started\n"
                           "while /bin/kill -0 $PPID 2>/dev/null; do /bin/sleep 0.1; done\n"));
    for (int i = 0; i < 250 && !std::filesystem::exists(proc.dir + "/panel-started"); ++i) usleep(20000);
    EXPECT_TRUE(std::filesystem::exists(proc.dir + "/panel-started"));
    ASSERT_TRUE(std::filesystem::is_symlink(proc.dir + "/ports/com21"));
    kill(proc.pid, SIGINT);
    EXPECT_EQ(proc.waitExit(5000), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(proc.dir + "/ports/com21")));
}

}  // namespace
}  // namespace vocrig::test
