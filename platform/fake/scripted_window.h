#pragma once

#include <deque>
#include <string>
#include <vector>

#include "manual_clock.h"
#include "platform/window.h"

namespace vocrig::platform::fake {

// A window driven by a script of events. When the script is used up and the
// timer runs, it produces timer ticks 20 ms of manual time apart, up to
// `idleTicks` of them; after that it reports Close, so a loop always ends.
class ScriptedWindow : public Window {
public:
    explicit ScriptedWindow(ManualClock& clock) : clock(clock) {}

    struct Drawn {
        int x, y;
        std::string text;
        Font font;
    };

    bool open(const std::string& title, int left, int top, int width, int height) override;
    void close() override { isOpen = false; }
    void startTimer(int periodMs) override;
    void stopTimer() override { timerRunning = false; }
    Event waitEvent() override;
    bool pollEvent(Event& event) override;
    void setFont(const Font& font) override { currentFont = font; }
    void drawText(int x, int y, const std::string& text) override;

    // Script helpers.
    void key(int vk) {
        events.push_back({EventType::KeyDown, vk});
        events.push_back({EventType::KeyUp, vk});
    }
    // A key held down: its first press and `repeats` auto-repeats, then the release.
    void holdKey(int vk, int repeats) {
        events.push_back({EventType::KeyDown, vk});
        for (int i = 0; i < repeats; ++i) events.push_back({EventType::KeyDown, vk, true});
        events.push_back({EventType::KeyUp, vk});
    }
    void tick() { events.push_back({EventType::Timer, 0}); }
    void closeEvent() { events.push_back({EventType::Close, 0}); }

    // The last text drawn at (x, y), or "" when none was.
    std::string textAt(int x, int y) const;

    std::deque<Event> events;
    std::vector<Drawn> drawn;
    Font currentFont{"System", 10, 400};
    bool isOpen = false;
    bool timerRunning = false;
    int timerPeriodMs = 0;
    int idleTicks = 0;
    std::string title;
    int left = 0, top = 0, width = 0, height = 0;

private:
    ManualClock& clock;
};

}  // namespace vocrig::platform::fake
