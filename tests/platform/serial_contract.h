#pragma once

// What every serial back-end must do, as one table of cases run against each
// (the POSIX ports over pseudo-terminals, the Win32 ports under Wine). A back-end
// gives a Rig:
//   using Port, Waiter, Clock;
//   void setUp(); void tearDown();
//   bool openNear(Port&);        one end of a null-modem pair
//   const char* farName;         the port name of the other end
//   bool readBack(Port&, LineReadBack&);  the line settings as the system holds them
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

struct LineReadBack {
    long baud = 0;
    int stopBits = 0;
    bool eightBitsNoParity = false;
    bool raw = false;             // no flow control, no translated or dropped bytes
    bool readsReturnAtOnce = false;
};

template <class Rig>
class SerialContract : public ::testing::Test {
protected:
    using Port = typename Rig::Port;
    void SetUp() override { rig.setUp(); }
    void TearDown() override { rig.tearDown(); }

    // Reads until `n` bytes have arrived or a second has passed.
    std::string readExactly(Port& port, size_t n) {
        std::string got;
        typename Rig::Waiter waiter;
        typename Rig::Clock clock;
        int64_t end = clock.monotonicMicros() + 1000000;
        while (got.size() < n && clock.monotonicMicros() < end) {
            waiter.waitForInput({&port}, 20);
            int waiting = port.bytesWaiting();
            if (waiting > 0) got += port.read(waiting);
        }
        return got;
    }

    // Microseconds a wait of `ms` on the ports took: a wait that spins returns early.
    int64_t waitTook(std::vector<vocrig::platform::SerialPort*> ports, int ms, int rounds = 1) {
        typename Rig::Waiter waiter;
        typename Rig::Clock clock;
        int64_t t0 = clock.monotonicMicros();
        for (int i = 0; i < rounds; ++i) waiter.waitForInput(ports, ms);
        return clock.monotonicMicros() - t0;
    }

    static void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    Rig rig;
};

TYPED_TEST_SUITE_P(SerialContract);

TYPED_TEST_P(SerialContract, SettingsReadBack) {
    typename TypeParam::Port nearEnd, farEnd;
    ASSERT_TRUE(this->rig.openNear(nearEnd));
    ASSERT_TRUE(farEnd.open(this->rig.farName));
    struct Case {
        int baud, stopBits;
    } cases[] = {{38400, 2}, {19200, 1}, {9600, 1}, {115200, 2}};
    for (const auto& c : cases) {
        ASSERT_TRUE(farEnd.configure(c.baud, c.stopBits));
        LineReadBack line;
        ASSERT_TRUE(this->rig.readBack(farEnd, line));
        EXPECT_EQ(line.baud, c.baud);
        EXPECT_EQ(line.stopBits, c.stopBits);
        EXPECT_TRUE(line.eightBitsNoParity);
        EXPECT_TRUE(line.raw);
        EXPECT_TRUE(line.readsReturnAtOnce);
    }
    EXPECT_FALSE(farEnd.configure(12345, 1));  // not a rate a serial line has
}

TYPED_TEST_P(SerialContract, EveryByteValueCrossesBothWays) {
    typename TypeParam::Port nearEnd, farEnd;
    ASSERT_TRUE(this->rig.openNear(nearEnd));
    ASSERT_TRUE(farEnd.open(this->rig.farName));
    ASSERT_TRUE(farEnd.configure(38400, 2));
    ASSERT_TRUE(nearEnd.configure(38400, 1));
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    all += "\r\n\x11\x13\x03\x04\x1A\xFD\xFE";  // the bytes a cooked line would eat or change

    farEnd.write(all);
    EXPECT_EQ(this->readExactly(nearEnd, all.size()), all);
    nearEnd.write(all);
    EXPECT_EQ(this->readExactly(farEnd, all.size()), all);
}

TYPED_TEST_P(SerialContract, CountsWaitingBytesAndReadsAtMostTheAskedNumber) {
    typename TypeParam::Port nearEnd, farEnd;
    ASSERT_TRUE(this->rig.openNear(nearEnd));
    ASSERT_TRUE(farEnd.open(this->rig.farName));
    EXPECT_EQ(nearEnd.bytesWaiting(), 0);
    EXPECT_EQ(nearEnd.read(10), "");  // returns at once with nothing
    farEnd.write("FA00014200000;");
    typename TypeParam::Waiter().waitForInput({&nearEnd}, 1000);
    for (int i = 0; i < 50 && nearEnd.bytesWaiting() < 14; ++i) this->pause(10);
    EXPECT_EQ(nearEnd.bytesWaiting(), 14);
    EXPECT_EQ(nearEnd.read(5), "FA000");
    EXPECT_EQ(nearEnd.bytesWaiting(), 9);
    EXPECT_EQ(nearEnd.read(255), "14200000;");
}

TYPED_TEST_P(SerialContract, StaleInputIsFlushedOnOpen) {
    typename TypeParam::Port nearEnd;
    ASSERT_TRUE(this->rig.openNear(nearEnd));
    nearEnd.write("stale;");
    this->pause(50);
    typename TypeParam::Port farEnd;
    ASSERT_TRUE(farEnd.open(this->rig.farName));
    this->pause(20);
    EXPECT_EQ(farEnd.bytesWaiting(), 0);
}

TYPED_TEST_P(SerialContract, SecondOpenIsRefusedUntilTheFirstCloses) {
    typename TypeParam::Port nearEnd, first, second;
    ASSERT_TRUE(this->rig.openNear(nearEnd));
    ASSERT_TRUE(first.open(this->rig.farName));
    EXPECT_FALSE(second.open(this->rig.farName));
    first.close();
    nearEnd.bytesWaiting();  // the near end's program goes on serving it meanwhile
    EXPECT_TRUE(second.open(this->rig.farName));
}

TYPED_TEST_P(SerialContract, RefusedNames) {
    typename TypeParam::Port port;
    for (const char* name : {"COM0", "COM257", "\\\\.\\COM", "", "ports/com5", "COMX", "COM05", "LPT1"}) {
        EXPECT_FALSE(port.open(name)) << name;
        EXPECT_FALSE(port.isOpen());
    }
    EXPECT_FALSE(port.openVirtualPair("COM999"));
    EXPECT_FALSE(port.isOpen());
}

TYPED_TEST_P(SerialContract, AClosedPortReadsNothingAndSwallowsWrites) {
    typename TypeParam::Port port;
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(port.read(100), "");
    port.write("FA;");  // no crash, no effect
    EXPECT_FALSE(port.configure(38400, 1));
    EXPECT_GE(this->waitTook({&port}, 30), 25000);  // still waits, does not spin
}

TYPED_TEST_P(SerialContract, FarEndHangUpDoesNotSpinAndReopenWorks) {
    typename TypeParam::Port nearEnd;
    ASSERT_TRUE(this->rig.openNear(nearEnd));
    {
        typename TypeParam::Port farEnd;
        ASSERT_TRUE(farEnd.open(this->rig.farName));
        farEnd.write("bye;");
        EXPECT_EQ(this->readExactly(nearEnd, 4), "bye;");
    }
    EXPECT_GE(this->waitTook({&nearEnd}, 30, 3), 80000);
    EXPECT_EQ(nearEnd.bytesWaiting(), 0);
    EXPECT_FALSE(nearEnd.failed());  // a pair's near end waits for the next user

    typename TypeParam::Port again;
    ASSERT_TRUE(again.open(this->rig.farName));
    again.write("back;");
    EXPECT_EQ(this->readExactly(nearEnd, 5), "back;");
}

TYPED_TEST_P(SerialContract, WaitEndsWhenInputArrivesOnAnyPort) {
    typename TypeParam::Port nearEnd, farEnd;
    ASSERT_TRUE(this->rig.openNear(nearEnd));
    ASSERT_TRUE(farEnd.open(this->rig.farName));
    typename TypeParam::Port idle;  // never opened: left out of the wait
    std::thread writer([&farEnd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        farEnd.write("FA;");
    });
    int64_t took = this->waitTook({&idle, &nearEnd}, 5000);
    writer.join();
    EXPECT_LT(took, 4000000);  // woken by the bytes, long before the time-out
    EXPECT_EQ(this->readExactly(nearEnd, 3), "FA;");
}

REGISTER_TYPED_TEST_SUITE_P(SerialContract, SettingsReadBack, EveryByteValueCrossesBothWays,
                            CountsWaitingBytesAndReadsAtMostTheAskedNumber, StaleInputIsFlushedOnOpen,
                            SecondOpenIsRefusedUntilTheFirstCloses, RefusedNames,
                            AClosedPortReadsNothingAndSwallowsWrites, FarEndHangUpDoesNotSpinAndReopenWorks,
                            WaitEndsWhenInputArrivesOnAnyPort);
