#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/posix.h"
#include "serial_contract.h"

using platform::posix::PollPortWaiter;
using platform::posix::PosixSerialPort;
using platform::posix::SystemClock;

namespace {

// Reads until `n` bytes have arrived or a second has passed.
std::string readExactly(PosixSerialPort& port, size_t n) {
    std::string got;
    PollPortWaiter waiter;
    SystemClock clock;
    const int64_t end = clock.monotonicMicros() + 1000000;
    while (got.size() < n && clock.monotonicMicros() < end) {
        waiter.waitForInput({&port}, 20);
        const int waiting = port.bytesWaiting();
        if (waiting > 0) got += port.read(waiting);
    }
    return got;
}

// Each test runs in a scratch working directory, where ports/ lives.
struct ScratchDir {
    void setUp() {
        char tmpl[] = "/tmp/vocrig-serial-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void tearDown() {
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
    }
    std::string dir, old;
};

// The pair is a pseudo-terminal the near end makes and publishes as COM21.
struct PosixRig : ScratchDir {
    using Port = PosixSerialPort;
    using Waiter = PollPortWaiter;
    using Clock = SystemClock;
    const char* farName = "\\\\.\\COM21";
    bool openNear(Port& port) { return port.openVirtualPair("COM21"); }
    bool readBack(Port& port, LineReadBack& line) {
        termios t{};
        if (tcgetattr(port.waitHandle(), &t) != 0) return false;
        speed_t speed = cfgetospeed(&t);
        if (cfgetispeed(&t) != speed) return false;
        for (auto [code, baud] : {std::pair<speed_t, long>{B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B115200, 115200}})
            if (speed == code) line.baud = baud;
        line.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
        line.eightBitsNoParity = (t.c_cflag & CSIZE) == CS8 && !(t.c_cflag & PARENB);
        line.raw = !(t.c_lflag & (ICANON | ECHO | ISIG)) && !(t.c_iflag & (IXON | ICRNL | ISTRIP)) &&
                   !(t.c_oflag & OPOST);
        line.readsReturnAtOnce = t.c_cc[VMIN] == 0 && t.c_cc[VTIME] == 0;
        return true;
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Posix, SerialContract, PosixRig);

// What only the POSIX ports do: publishing pairs under ports/, and devices
// that are not terminals or whose other side vanishes.
class PosixSerial : public ::testing::Test {
protected:
    void SetUp() override { scratch.setUp(); }
    void TearDown() override { scratch.tearDown(); }
    ScratchDir scratch;
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

TEST_F(PosixSerial, MissingDevicesAndNonTerminalsAreRefused) {
    PosixSerialPort port;
    std::filesystem::create_directory("ports");
    std::filesystem::create_symlink("/nonexistent/tty", "ports/com9");
    EXPECT_FALSE(port.open("COM9"));
    ASSERT_TRUE(std::filesystem::exists("/dev/null"));
    std::filesystem::create_symlink("/dev/null", "ports/com8");
    EXPECT_FALSE(port.open("COM8"));  // not a terminal device
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
