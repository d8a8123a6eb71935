// The SDL window on a real X server (run under with_xvfb): keys typed with
// xdotool arrive as virtual-key codes, the timer ticks and coalesces, texts
// reach the screen and survive an expose, and closing the window is an event.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl.h"

// Last: Xlib's macros and type names would clash with the headers above.
#include "x_view.h"

using vocrig::platform::Event;
using vocrig::platform::EventType;
using vocrig::platform::sdl::SdlWindow;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

bool haveTool(const std::string& name) { return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0; }

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

// Events the window delivers within `wait`.
std::vector<Event> eventsFor(SdlWindow& window, std::chrono::milliseconds wait) {
    std::vector<Event> events;
    const auto end = Clock::now() + wait;
    while (Clock::now() < end) {
        Event event;
        while (window.pollEvent(event)) events.push_back(event);
        std::this_thread::sleep_for(5ms);
    }
    return events;
}

std::set<int> distinct(const std::vector<int>& keys) { return {keys.begin(), keys.end()}; }

std::vector<int> keyDowns(const std::vector<Event>& events, std::vector<int> ignored = {}) {
    std::vector<int> keys;
    for (const Event& event : events) {
        if (event.type != EventType::KeyDown) continue;
        if (std::find(ignored.begin(), ignored.end(), event.key) != ignored.end()) continue;
        keys.push_back(event.key);
    }
    return keys;
}

int countOf(const std::vector<Event>& events, EventType type) {
    return int(std::count_if(events.begin(), events.end(), [type](const Event& e) { return e.type == type; }));
}

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (Xvfb is not installed)";
        ASSERT_TRUE(window.available()) << window.error();
        title = "vocrig window test " + std::to_string(getpid());
        ASSERT_TRUE(window.open(title, 250, 100, 950, 500));
        ASSERT_TRUE(view.ok());
        id = view.find(title);
        ASSERT_NE(id, 0u);
        eventsFor(window, 100ms);  // settle: map and expose
    }

    // Types keys into the window with xdotool (focus first: there is no window manager).
    void type(const std::string& keys) {
        ASSERT_TRUE(run("xdotool windowfocus --sync " + std::to_string(id) + " key --delay 15 " + keys));
    }

    SdlWindow window;
    XView view;
    std::string title;
    ::Window id = 0;
};

// Which code each key gives is the key map's table; here, that keys reach it
// through the window: letters, function and arrow keys, the keypad whatever
// NumLock, and keys with Alt left to the system.
TEST_F(SdlWindowTest, KeysArriveAsVirtualKeyCodes) {
    if (!haveTool("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    type("a q 9 F1 F12 Left Next Return space Insert equal period");
    const std::vector<Event> events = eventsFor(window, 500ms);
    const std::vector<int> expected{65, 81, 57, 112, 123, 37, 34, 13, 32, 45, 187, 190};
    EXPECT_EQ(keyDowns(events), expected);
    EXPECT_EQ(countOf(events, EventType::KeyUp), int(expected.size()));
    for (const Event& event : events) EXPECT_FALSE(event.repeat) << event.key;
    type("alt+F4 F10 F4");
    const std::vector<Event> withAlt = eventsFor(window, 300ms);
    EXPECT_EQ(keyDowns(withAlt), std::vector<int>{115});
    EXPECT_EQ(countOf(withAlt, EventType::Close), 0);
    // Shift and Control are what they are, left or right; xdotool reaches the
    // right-hand keys with the left ones held, so only which codes come is certain.
    type("Shift_R Control_R");
    EXPECT_EQ(distinct(keyDowns(eventsFor(window, 200ms))), (std::set<int>{16, 17}));
    // xdotool may hold Shift to reach a keypad symbol, and Num_Lock is a key of its own.
    const std::vector<int> keypad{96, 101, 110}, ignored{16, 144};
    type("KP_Insert KP_Begin KP_Delete");
    EXPECT_EQ(keyDowns(eventsFor(window, 300ms), ignored), keypad);
    type("Num_Lock KP_0 KP_5 KP_Decimal Num_Lock");
    EXPECT_EQ(keyDowns(eventsFor(window, 300ms), ignored), keypad);
}

TEST_F(SdlWindowTest, HeldKeyRepeatsAsFurtherKeyDowns) {
    if (!haveTool("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    ASSERT_TRUE(run("xdotool windowfocus --sync " + std::to_string(id) + " keydown Down sleep 1 keyup Down"));
    const std::vector<Event> events = eventsFor(window, 200ms);
    ASSERT_FALSE(events.empty());
    EXPECT_GE(keyDowns(events).size(), 2u);
    for (const Event& event : events) EXPECT_EQ(event.key, 40);
    // Only the key-downs after the first are marked as repeats.
    ASSERT_EQ(events.front().type, EventType::KeyDown);
    EXPECT_FALSE(events.front().repeat);
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const Event& e) { return e.repeat; }),
              std::ptrdiff_t(keyDowns(events).size()) - 1);
    EXPECT_EQ(countOf(events, EventType::KeyUp), 1);
    EXPECT_EQ(events.back().type, EventType::KeyUp);
}

TEST_F(SdlWindowTest, TimerTicksAndNeverQueuesMoreThanOneTick) {
    window.startTimer(20);
    EXPECT_EQ(window.waitEvent().type, EventType::Timer);
    std::this_thread::sleep_for(300ms);  // fifteen periods without taking events
    std::vector<Event> events;
    Event event;
    while (window.pollEvent(event)) events.push_back(event);
    EXPECT_EQ(countOf(events, EventType::Timer), 1);
    // Taken as they come, ticks keep coming (about 25 in half a second).
    EXPECT_GE(countOf(eventsFor(window, 500ms), EventType::Timer), 10);
    window.stopTimer();
    eventsFor(window, 50ms);
    EXPECT_EQ(countOf(eventsFor(window, 200ms), EventType::Timer), 0);
    // Started twice, stopped and started again, it ticks again.
    window.startTimer(20);
    window.startTimer(20);
    window.stopTimer();
    window.startTimer(20);
    EXPECT_EQ(window.waitEvent().type, EventType::Timer);
    window.stopTimer();
}

TEST_F(SdlWindowTest, TextIsDrawnOverWhatWasThereAndSurvivesExpose) {
    window.setFont(vocrig::platform::Font{"Ariel", 50, 700});
    window.drawText(20, 20, "Hello");
    const int inked = view.darkPixels(id, 20, 20, 300, 70);
    EXPECT_GT(inked, 300);
    EXPECT_EQ(view.darkPixels(id, 400, 200, 300, 70), 0);  // nothing elsewhere

    // Blanks erase a longer text drawn before them.
    window.drawText(20, 20, "               ");
    EXPECT_EQ(view.darkPixels(id, 20, 20, 300, 70), 0);

    // The window's content is kept and shown again after being unmapped.
    window.drawText(20, 20, "Hello");
    view.unmapAndMap(id);
    eventsFor(window, 300ms);
    EXPECT_EQ(view.darkPixels(id, 20, 20, 300, 70), inked);

    // Other fonts and weights draw too; texts past the edge are clipped.
    window.setFont(vocrig::platform::Font{"Ariel", 20, 20});
    window.drawText(0, 250, std::string(180, ' ') + "x");
    window.drawText(900, 470, "clipped text");
    window.drawText(-50, -50, "off");
    window.drawText(5, 400, "");
    window.setFont(vocrig::platform::Font{"no such face at all", 12, 400});  // falls back, never fails
    window.drawText(5, 400, "fallback");
    EXPECT_GT(view.darkPixels(id, 5, 400, 100, 30), 0);
}

TEST_F(SdlWindowTest, InitialFontFitsTheKeyHelpLine) {
    const std::string help = "        F1=Preamp F2=Attenuator F3=Noise Blanker F4=Noise Reduction F5=Notch  h=help  q=quit";
    window.drawText(155, 405, help);
    EXPECT_GT(view.darkPixels(id, 155, 400, 795, 30), 0);
    EXPECT_EQ(view.darkPixels(id, 945, 400, 5, 30), 0) << "the help line runs off the window";
}

TEST_F(SdlWindowTest, ClosingTheWindowIsACloseEvent) {
    view.requestClose(id);
    std::optional<Event> event;
    for (int i = 0; i < 100 && !event; ++i) {  // skip anything else the server sent
        Event next = window.waitEvent();
        if (next.type == EventType::Close) event = next;
    }
    ASSERT_TRUE(event.has_value());
    window.close();
    window.close();  // twice is harmless
    window.drawText(10, 10, "after close");
}

// Run by ctest in a process of its own with no DISPLAY (SDL's video, once
// started, stays up for the process).
TEST(SdlWindowNoDisplay, ReportsWhyInsteadOfWaiting) {
    if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) GTEST_SKIP() << "a display is set";
    SdlWindow window;
    EXPECT_FALSE(window.available());
    EXPECT_NE(window.error().find("display"), std::string::npos) << window.error();
    EXPECT_FALSE(window.open("x", 0, 0, 100, 100));
    EXPECT_EQ(window.waitEvent().type, EventType::Close);
    Event event;
    EXPECT_FALSE(window.pollEvent(event));
    window.startTimer(20);
    window.setFont(vocrig::platform::Font{"Ariel", 50, 700});
    window.drawText(1, 1, "nothing");
}

}  // namespace
