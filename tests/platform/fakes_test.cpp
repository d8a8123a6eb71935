#include <gtest/gtest.h>

#include "fake_serial.h"
#include "fake_speaker.h"
#include "manual_clock.h"
#include "memory_files.h"
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

TEST(FakeSpeaker, RecordsWordsAndLetsTimePass) {
    ManualClock clock;
    FakeSpeaker speaker(clock);
    speaker.lengthMs["delay"] = 120;
    speaker.missing.insert("gone");
    int ticks = 0;
    clock.onAdvance = [&] { ++ticks; };
    speaker.play("wave\\voc");
    speaker.play("wave\\ON.wav");
    speaker.play("wave\\delay");
    speaker.play("wave\\gone");
    speaker.playAsync("wave\\help.wav");
    EXPECT_EQ(speaker.joined(), "voc / on / delay / help");
    EXPECT_EQ(clock.now, (300 + 300 + 120) * 1000);
    EXPECT_EQ(ticks, 720);  // the listener ran every simulated millisecond
}

TEST(ScriptedWindow, PlaysScriptThenTicksThenCloses) {
    ManualClock clock;
    ScriptedWindow w(clock);
    w.key(81);
    w.startTimer(20);
    w.idleTicks = 2;
    EXPECT_EQ(w.waitEvent().type, EventType::KeyDown);
    EXPECT_EQ(w.waitEvent().type, EventType::KeyUp);
    EXPECT_EQ(w.waitEvent().type, EventType::Timer);
    EXPECT_EQ(w.waitEvent().type, EventType::Timer);
    EXPECT_EQ(clock.now, 40000);
    EXPECT_EQ(w.waitEvent().type, EventType::Close);
    w.setFont({"Ariel", 50, 700});
    w.drawText(285, 150, "14.2");
    w.drawText(285, 150, "7.1");
    EXPECT_EQ(w.textAt(285, 150), "7.1");
    EXPECT_EQ(w.drawn.back().font, (Font{"Ariel", 50, 700}));
}

TEST(MemoryFiles, WritesCrLfAndReadsBack) {
    MemoryFiles files;
    ASSERT_TRUE(files.writeLines("a.txt", {"one", "two"}));
    EXPECT_EQ(files.files["a.txt"], "one\r\ntwo\r\n");
    std::vector<std::string> lines;
    ASSERT_TRUE(files.readLines("a.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
    EXPECT_FALSE(files.readLines("none", lines));
    EXPECT_TRUE(lines.empty());
}
