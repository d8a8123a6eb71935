#pragma once

#include <string>

namespace vocrig::platform {

enum class EventType { KeyDown, KeyUp, Timer, Close };

struct Event {
    EventType type = EventType::Timer;
    int key = 0;          // Windows virtual-key code for KeyDown / KeyUp
    bool repeat = false;  // a KeyDown made by holding the key (auto-repeat)
};

struct Font {
    std::string face;
    int size = 0;    // points
    int weight = 0;  // 100..900 style weight (400 normal, 700 bold)
    bool operator==(const Font&) const = default;
};

// The panel's one fixed-size window. Texts are drawn at pixel positions over
// what was there (the background behind each text is painted too).
class Window {
public:
    virtual ~Window() = default;
    virtual bool open(const std::string& title, int left, int top, int width, int height) = 0;
    virtual void close() = 0;
    virtual void startTimer(int periodMs) = 0;
    virtual void stopTimer() = 0;
    // Blocks until at least one event is queued and returns it.
    virtual Event waitEvent() = 0;
    // Returns false at once when nothing is queued.
    virtual bool pollEvent(Event& event) = 0;
    virtual void setFont(const Font& font) = 0;
    virtual void drawText(int x, int y, const std::string& text) = 0;
};

}  // namespace vocrig::platform
