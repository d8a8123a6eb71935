// Reading vocrig.cfg. The file is shared with voctrans and read strictly by
// line number and character position; the words in front of the values are
// for the operator only.

#include <algorithm>
#include <limits>

#include "panel.h"

namespace vocrig::panel {

namespace {

const char* const configFile = "vocrig.cfg";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

// Character n (from 1) of a line as a number: a digit gives its value,
// anything else (or a line too short) 0.
int digitAt(const std::string& line, size_t n) {
    if (n == 0 || line.size() < n || !isDigit(line[n - 1])) return 0;
    return line[n - 1] - '0';
}

// The transmit power from line 4: its length says how many of its last
// characters hold the value. A value that is not all digits leaves 100.
int powerFromLine(const std::string& line) {
    int power = 100;
    std::string tail;
    int extra = 0;
    switch (line.size()) {
        case 9: tail = line.substr(6); break;
        case 8: tail = line.substr(6); break;
        case 7:
            tail = line.substr(6);
            extra = 1;
            break;
        default: return power;
    }
    if (allDigits(tail)) power = std::stoi(tail) + extra;
    return std::min(power, 100);
}

}  // namespace

int numberOf(const std::string& text) {
    long long value = 0;
    for (char c : text) {
        if (!isDigit(c)) break;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    }
    return static_cast<int>(value);
}

std::string zeroPadded(long long value, int width) {
    std::string digits = std::to_string(value < 0 ? 0 : value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

bool Panel::readConfiguration() {
    std::vector<std::string> lines;
    if (!files.readLines(configFile, lines)) return false;
    // Line n counted from 1; a missing line reads as empty.
    auto line = [&lines](size_t n) { return n <= lines.size() ? lines[n - 1] : std::string(); };

    state.radioId = -1;  // not known until the translator answers "Z1"

    state.powerPercent = 100;
    if (lines.size() >= 4) state.powerPercent = powerFromLine(line(4));

    state.swrAlert = digitAt(line(5), 5);
    state.tunerMode = digitAt(line(6), 5);

    const std::string bandLine = line(7);
    state.bandPlan.clear();
    if (bandLine.size() >= 9 && isDigit(bandLine[8])) {
        state.bandPlan = bandLine.substr(8, 1);
        if (state.bandPlan == "2" && bandLine.back() == '3') state.bandPlan = "7";
    }

    state.radioPowerSwitch = digitAt(line(8), 8);

    // The lock line is optional; when present it pushes the lines after it down by one.
    size_t next = 9;
    char lock = '0';
    const std::string lockLine = line(9);
    if (lockLine.compare(0, 4, "lock") == 0) {
        if (lockLine.size() >= 6 && lockLine[5] == '1') lock = '1';
        ++next;
    }
    state.lockState = std::string(1, lock);

    // The pass-through line and the translator's diagnostic line come first.
    state.diagLevel = digitAt(line(next + 2), 7);
    return true;
}

}  // namespace vocrig::panel
