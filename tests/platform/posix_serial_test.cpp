#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/posix.h"
#include "scratch_dir.h"
#include "serial_contract.h"

using vocrig::platform::posix::PollPortWaiter;
using vocrig::platform::posix::PosixSerialPort;
using vocrig::platform::posix::SystemClock;

namespace {

// Each test runs in a scratch working directory, where ports/ lives.
using vocrig::test::ScratchDir;

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
        for (auto [code, baud] :
             {std::pair<speed_t, long>{B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B115200, 115200}})
            if (speed == code) line.baud = baud;
        line.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
        line.eightBitsNoParity = (t.c_cflag & CSIZE) == CS8 && !(t.c_cflag & PARENB);
        line.raw =
            !(t.c_lflag & (ICANON | ECHO | ISIG)) && !(t.c_iflag & (IXON | ICRNL | ISTRIP)) && !(t.c_oflag & OPOST);
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
    vocrig::platform::posix::PosixSerialDevices devices;
    EXPECT_TRUE(devices.exists("COM21"));
    near.close();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status("ports/com21")));
}

// The reason names every place tried: the operator's link and where it
// points, or, without one, the link looked for and the system device.
TEST_F(PosixSerial, MissingDevicesAndNonTerminalsAreRefused) {
    PosixSerialPort port;
    std::filesystem::create_directory("ports");
    std::filesystem::create_symlink("/nonexistent/tty", "ports/com9");
    EXPECT_FALSE(port.open("COM9"));
    EXPECT_EQ(port.lastError(), "cannot open COM9 (ports/com9, a link to /nonexistent/tty): No such file or directory");
    ASSERT_TRUE(std::filesystem::exists("/dev/null"));
    std::filesystem::create_symlink("/dev/null", "ports/com8");
    EXPECT_FALSE(port.open("COM8"));  // not a terminal device
    EXPECT_EQ(port.lastError(), "cannot open COM8 (ports/com8, a link to /dev/null): not a serial port");
    EXPECT_FALSE(port.open("COM200"));
    EXPECT_EQ(port.lastError(),
              "cannot open COM200: ports/com200: No such file or directory; /dev/ttyS199: No such file or directory");
    // A port another program holds: the reason is the system's own.
    PosixSerialPort nearEnd, first;
    ASSERT_TRUE(nearEnd.openVirtualPair("COM21"));
    ASSERT_TRUE(first.open("\\\\.\\COM21"));
    EXPECT_FALSE(port.open("\\\\.\\COM21"));
    EXPECT_EQ(port.lastError(),
              "cannot open COM21 (ports/com21, a link to " + nearEnd.farEndPath() + "): Device or resource busy");
}

// A program on the far end that dies cannot clear the exclusive flag it set;
// the pair's maker releases the end, and the next program opens it, also as
// an ordinary user (this binary also runs unprivileged; root is never refused).
TEST_F(PosixSerial, FarEndLeftByAProgramThatDiedOpensAgainOnceReleased) {
    PosixSerialPort near;
    ASSERT_TRUE(near.openVirtualPair("COM21"));
    int died = ::open("ports/com21", O_RDWR | O_NOCTTY);
    ASSERT_GE(died, 0);
    ASSERT_EQ(::ioctl(died, TIOCEXCL), 0);
    ::close(died);
    PosixSerialPort next;
    if (::geteuid() != 0) {
        EXPECT_FALSE(next.open("COM21"));
    }
    near.releaseFarEnd();
    EXPECT_TRUE(next.open("COM21")) << next.lastError();
}

TEST_F(PosixSerial, DeviceWhoseOtherSideVanishesDoesNotSpin) {
    // The radio side: we open a device by name; the program behind it goes away.
    auto creator = std::make_unique<PosixSerialPort>();
    ASSERT_TRUE(creator->openVirtualPair("COM5"));
    PosixSerialPort radio;
    ASSERT_TRUE(radio.open("COM5"));
    EXPECT_FALSE(radio.failed());
    creator.reset();              // "unplugged": the pseudo-terminal's master is gone
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
