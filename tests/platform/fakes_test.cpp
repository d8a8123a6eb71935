#include <gtest/gtest.h>

#include "fake_serial.h"
#include "fake_speaker.h"
#include "manual_clock.h"
#include "scripted_window.h"

using namespace vocrig::platform;
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

// The benches rely on both: time passes while a word plays, a millisecond at a
// time, and a text drawn over another is what the window shows.
TEST(FakeSpeakerAndWindow, TimePassesWhileWordsPlayAndTheLastTextShows) {
    ManualClock clock;
    FakeSpeaker speaker(clock);
    speaker.lengthMs["delay"] = 120;
    int ticks = 0;
    clock.onAdvance = [&] { ++ticks; };
    speaker.play("wave\\ON.wav");
    speaker.play("wave\\delay");
    speaker.playAsync("wave\\help.wav");
    EXPECT_EQ(speaker.joined(), "on / delay / help");
    EXPECT_EQ(clock.now, (300 + 120) * 1000);
    EXPECT_EQ(ticks, 420);
    ScriptedWindow w(clock);
    w.drawText(285, 150, "14.2");
    w.drawText(285, 150, "7.1");
    EXPECT_EQ(w.textAt(285, 150), "7.1");
}
