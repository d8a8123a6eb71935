#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/posix.h"

using platform::posix::PollPortWaiter;
using platform::posix::PosixSerialPort;
using platform::posix::SystemClock;

namespace {

// Each test runs in a scratch working directory, where ports/ lives.
class PosixSerial : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vocrig-serial-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
    }

    // Reads until `n` bytes have arrived or a second has passed.
    static std::string readExactly(PosixSerialPort& port, size_t n) {
        std::string got;
        PollPortWaiter waiter;
        SystemClock clock;
        int64_t end = clock.monotonicMicros() + 1000000;
        while (got.size() < n && clock.monotonicMicros() < end) {
            waiter.waitForInput({&port}, 20);
            int waiting = port.bytesWaiting();
            if (waiting > 0) got += port.read(waiting);
        }
        return got;
    }

    std::string dir, old;
};

TEST_F(PosixSerial, VirtualPairIsPublishedAndRemovedOnClose) {
    PosixSerialPort near;
    ASSERT_TRUE(near.openVirtualPair("\\\\.\\COM21"));
    EXPECT_TRUE(std::filesystem::is_symlink("ports/com21"));
    EXPECT_EQ(std::filesystem::read_symlink("ports/com21").string(), near.farEndPath());
    platform::posix::PosixSerialDevices devices;
    EXPECT_TRUE(devices.exists("COM21"));
    near.close();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status("ports/com21")));
}

TEST_F(PosixSerial, SettingsReadBack) {
    PosixSerialPort near, far;
    ASSERT_TRUE(near.openVirtualPair("COM21"));
    ASSERT_TRUE(far.open("\\\\.\\COM21"));
    struct Case {
        int baud;
        speed_t speed;
        int stopBits;
    } cases[] = {{38400, B38400, 2}, {19200, B19200, 1}, {9600, B9600, 1}, {115200, B115200, 2}};
    for (const auto& c : cases) {
        ASSERT_TRUE(far.configure(c.baud, c.stopBits));
        termios t{};
        ASSERT_EQ(tcgetattr(far.waitHandle(), &t), 0);
        EXPECT_EQ(cfgetospeed(&t), c.speed);
        EXPECT_EQ(cfgetispeed(&t), c.speed);
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(t.c_cflag & PARENB, 0u);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.stopBits == 2);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(t.c_iflag & (IXON | ICRNL | ISTRIP), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_cc[VMIN], 0);
        EXPECT_EQ(t.c_cc[VTIME], 0);
    }
    EXPECT_FALSE(far.configure(12345, 1));  // not a rate a serial line has
}

TEST_F(PosixSerial, EveryByteValueCrossesBothWays) {
    PosixSerialPort near, far;
    ASSERT_TRUE(near.openVirtualPair("COM21"));
    ASSERT_TRUE(far.open("COM21"));
    ASSERT_TRUE(far.configure(38400, 2));
    ASSERT_TRUE(near.configure(38400, 1));
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    all += "\r\n\x11\x13\x03\x04\xFD\xFE";  // the bytes a cooked line would eat or change

    far.write(all);
    EXPECT_EQ(readExactly(near, all.size()), all);
    near.write(all);
    EXPECT_EQ(readExactly(far, all.size()), all);
}

TEST_F(PosixSerial, CountsWaitingBytesAndReadsAtMostTheAskedNumber) {
    PosixSerialPort near, far;
    ASSERT_TRUE(near.openVirtualPair("COM21"));
    ASSERT_TRUE(far.open("COM21"));
    EXPECT_EQ(near.bytesWaiting(), 0);
    EXPECT_EQ(near.read(10), "");  // returns at once with nothing
    far.write("FA00014200000;");
    readExactly(near, 0);
    PollPortWaiter().waitForInput({&near}, 1000);
    usleep(20000);
    EXPECT_EQ(near.bytesWaiting(), 14);
    EXPECT_EQ(near.read(5), "FA000");
    EXPECT_EQ(near.bytesWaiting(), 9);
    EXPECT_EQ(near.read(255), "14200000;");
}

TEST_F(PosixSerial, StaleInputIsFlushedOnOpen) {
    PosixSerialPort near;
    ASSERT_TRUE(near.openVirtualPair("COM21"));
    near.write("stale;");
    usleep(20000);
    PosixSerialPort far;
    ASSERT_TRUE(far.open("COM21"));
    EXPECT_EQ(far.bytesWaiting(), 0);
}

TEST_F(PosixSerial, SecondOpenIsRefusedUntilTheFirstCloses) {
    PosixSerialPort near, first, second;
    ASSERT_TRUE(near.openVirtualPair("COM21"));
    ASSERT_TRUE(first.open("COM21"));
    EXPECT_FALSE(second.open("COM21"));
    EXPECT_EQ(second.lastError(), "cannot open COM21 (ports/com21): Device or resource busy");
    first.close();
    EXPECT_TRUE(second.open("COM21"));
}

TEST_F(PosixSerial, RefusedNamesAndMissingDevices) {
    PosixSerialPort port;
    for (const char* name : {"COM0", "COM257", "\\\\.\\COM", "", "ports/com5", "COMX"}) {
        EXPECT_FALSE(port.open(name)) << name;
        EXPECT_FALSE(port.isOpen());
    }
    EXPECT_FALSE(port.openVirtualPair("COM999"));
    std::filesystem::create_directory("ports");
    std::filesystem::create_symlink("/nonexistent/tty", "ports/com9");
    EXPECT_FALSE(port.open("COM9"));
    EXPECT_EQ(port.lastError(), "cannot open COM9 (ports/com9): No such file or directory");
    ASSERT_TRUE(std::filesystem::exists("/dev/null"));
    std::filesystem::create_symlink("/dev/null", "ports/com8");
    EXPECT_FALSE(port.open("COM8"));  // not a terminal device
    EXPECT_EQ(port.lastError(), "cannot open COM8 (ports/com8): not a serial port");
}

TEST_F(PosixSerial, AClosedPortReadsNothingAndSwallowsWrites) {
    PosixSerialPort port;
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(port.read(100), "");
    port.write("FA;");  // no crash, no effect
    EXPECT_FALSE(port.configure(38400, 1));
    PollPortWaiter waiter;
    SystemClock clock;
    int64_t t0 = clock.monotonicMicros();
    waiter.waitForInput({&port}, 30);
    EXPECT_GE(clock.monotonicMicros() - t0, 25000);  // still waits, does not spin
}

TEST_F(PosixSerial, FarEndHangUpDoesNotSpinAndReopenWorks) {
    PosixSerialPort near;
    ASSERT_TRUE(near.openVirtualPair("COM21"));
    {
        PosixSerialPort far;
        ASSERT_TRUE(far.open("COM21"));
        far.write("bye;");
        EXPECT_EQ(readExactly(near, 4), "bye;");
    }
    PollPortWaiter waiter;
    SystemClock clock;
    int64_t t0 = clock.monotonicMicros();
    waiter.waitForInput({&near}, 30);
    EXPECT_GE(clock.monotonicMicros() - t0, 25000);
    EXPECT_EQ(near.bytesWaiting(), 0);
    EXPECT_FALSE(near.failed());  // our own pair waits for the next user

    PosixSerialPort again;
    ASSERT_TRUE(again.open("COM21"));
    again.write("back;");
    EXPECT_EQ(readExactly(near, 5), "back;");
}

TEST_F(PosixSerial, DeviceWhoseOtherSideVanishesDoesNotSpin) {
    // The radio side: we open a device by name; the program behind it goes away.
    auto creator = std::make_unique<PosixSerialPort>();
    ASSERT_TRUE(creator->openVirtualPair("COM5"));
    PosixSerialPort radio;
    ASSERT_TRUE(radio.open("COM5"));
    EXPECT_FALSE(radio.failed());
    creator.reset();  // "unplugged": the pseudo-terminal's master is gone
    EXPECT_TRUE(radio.failed());  // so its user knows to look for it again
    PollPortWaiter waiter;
    SystemClock clock;
    int64_t t0 = clock.monotonicMicros();
    for (int i = 0; i < 3; ++i) waiter.waitForInput({&radio}, 20);
    EXPECT_GE(clock.monotonicMicros() - t0, 50000);
    EXPECT_EQ(radio.bytesWaiting(), 0);
    EXPECT_EQ(radio.read(10), "");
    radio.write("FE FE");  // lost, without a crash or a hang
}

}  // namespace
