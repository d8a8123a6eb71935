#include <gtest/gtest.h>

#include "fake_serial.h"

using namespace vocrig::platform::fake;

TEST(FakeSerial, JoinedEndsDeliverInOrderOnlyWhileOpen) {
    FakeSerialPair pair;
    ASSERT_TRUE(pair.a.open("COM20"));
    ASSERT_TRUE(pair.b.open("\\\\.\\COM21"));
    pair.a.write("FA;");
    pair.a.write("MD;");
    EXPECT_EQ(pair.b.bytesWaiting(), 6);
    EXPECT_EQ(pair.b.read(4), "FA;M");
    EXPECT_EQ(pair.b.read(100), "D;");
    pair.b.close();
    pair.a.write("x");
    EXPECT_EQ(pair.b.bytesWaiting(), 0);  // a closed port reads nothing
    EXPECT_EQ(pair.b.read(10), "");
    pair.b.write("lost");
    EXPECT_EQ(pair.a.bytesWaiting(), 0);  // and swallows writes
    FakeSerialEnd bad;
    EXPECT_FALSE(bad.open("COM257"));
}
