#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/posix.h"
#include "process_tools.h"
#include "scratch_dir.h"

using namespace vocrig::platform::posix;

namespace {

using vocrig::test::slurp;

class PosixSystem : public ::testing::Test, protected vocrig::test::ScratchDir {
protected:
    void SetUp() override { setUp("vocrig-system"); }
    void TearDown() override { tearDown(); }
};

TEST_F(PosixSystem, FilesWriteCrLfAtomicallyAndReadEitherEnding) {
    DiskFiles files;
    ASSERT_TRUE(files.writeLines("savmem.dat", {"3.4b", "0200007100000"}));
    EXPECT_EQ(slurp("savmem.dat"), "3.4b\r\n0200007100000\r\n");
    EXPECT_FALSE(files.exists("savmem.dat.tmp"));
    std::ofstream("lf.txt") << "a\nb\n";
    std::vector<std::string> lines;
    ASSERT_TRUE(files.readLines("lf.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(files.readLines("missing.txt", lines));
    EXPECT_TRUE(files.remove("lf.txt"));
    EXPECT_FALSE(files.exists("lf.txt"));
    EXPECT_FALSE(files.remove("lf.txt"));
}

TEST_F(PosixSystem, FailedSaveLeavesTheOldFile) {
    DiskFiles files;
    ASSERT_TRUE(files.writeLines("keep.dat", {"old"}));
    std::filesystem::create_directory("keep.dat.tmp");  // the temporary cannot be written
    EXPECT_FALSE(files.writeLines("keep.dat", {"new"}));
    EXPECT_EQ(slurp("keep.dat"), "old\r\n");
}

TEST_F(PosixSystem, WriterCreatesTruncatesAndAppends) {
    std::ofstream("debug.dat") << "old contents";
    DiskFiles files;
    auto w = files.create("debug.dat");
    ASSERT_TRUE(w);
    EXPECT_EQ(slurp("debug.dat"), "");
    w->write("FE FE\r\n");
    EXPECT_EQ(slurp("debug.dat"), "FE FE\r\n");  // flushed as it goes
    w->close();
    EXPECT_FALSE(w->write("x"));
    EXPECT_EQ(files.create("no/such/dir/f"), nullptr);
}

TEST_F(PosixSystem, ProcessStartsFromPathWithoutWaiting) {
    PosixProcess process;
    SystemClock clock;
    int64_t t0 = clock.monotonicMicros();
    EXPECT_TRUE(process.start("sleep 0.5"));
    EXPECT_LT(clock.monotonicMicros() - t0, 1000000);  // did not wait for it
    EXPECT_TRUE(process.start("touch started"));
    for (int i = 0; i < 100 && !std::filesystem::exists("started"); ++i) usleep(20000);
    EXPECT_TRUE(std::filesystem::exists("started"));
    EXPECT_FALSE(process.start("no-such-program-vocrig"));
    EXPECT_FALSE(process.start(""));
}

TEST_F(PosixSystem, StartedProgramHoldsNoSignals) {
    // A starter that holds signals (to end cleanly on them) must not pass that on.
    sigset_t held, old;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    ASSERT_EQ(sigprocmask(SIG_BLOCK, &held, &old), 0);
    PosixProcess process;
    bool started = process.start("cp /proc/self/status status.txt");
    sigprocmask(SIG_SETMASK, &old, nullptr);
    ASSERT_TRUE(started);
    for (int i = 0; i < 100 && slurp("status.txt").find("SigBlk:") == std::string::npos; ++i) usleep(20000);
    std::string status = slurp("status.txt");
    size_t at = status.find("SigBlk:");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(status.substr(at, status.find('\n', at) - at), "SigBlk:\t0000000000000000");
}

TEST_F(PosixSystem, ClockGivesPlausibleLocalTimeAndSleeps) {
    SystemClock clock;
    auto t = clock.localTime();
    EXPECT_GE(t.year, 2024);
    EXPECT_GE(t.month, 1);
    EXPECT_LE(t.month, 12);
    int64_t t0 = clock.monotonicMicros();
    clock.sleepMs(20);
    EXPECT_GE(clock.monotonicMicros() - t0, 20000);
    EXPECT_NE(executableDir(), "");
}

}  // namespace
