#include "scripted_window.h"

namespace vocrig::platform::fake {

bool ScriptedWindow::open(const std::string& t, int l, int tp, int w, int h) {
    title = t;
    left = l;
    top = tp;
    width = w;
    height = h;
    isOpen = true;
    return true;
}

void ScriptedWindow::startTimer(int periodMs) {
    timerRunning = true;
    timerPeriodMs = periodMs;
}

Event ScriptedWindow::waitEvent() {
    Event e;
    if (pollEvent(e)) return e;
    if (timerRunning && idleTicks > 0) {
        --idleTicks;
        clock.advance(static_cast<int64_t>(timerPeriodMs) * 1000);
        return {EventType::Timer, 0};
    }
    return {EventType::Close, 0};
}

bool ScriptedWindow::pollEvent(Event& event) {
    if (events.empty()) return false;
    event = events.front();
    events.pop_front();
    return true;
}

void ScriptedWindow::drawText(int x, int y, const std::string& text) {
    drawn.push_back({x, y, text, currentFont});
}

std::string ScriptedWindow::textAt(int x, int y) const {
    for (auto it = drawn.rbegin(); it != drawn.rend(); ++it)
        if (it->x == x && it->y == y) return it->text;
    return {};
}

}  // namespace vocrig::platform::fake
