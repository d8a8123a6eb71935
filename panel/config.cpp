// Reading vocrig.cfg. The file is shared with voctrans and read strictly by
// line number and character position (radio/config_layout.h); the words in
// front of the values are for the operator only. A value the panel cannot use
// takes the nearest one it can.

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "panel.h"
#include "radio/config_layout.h"

namespace vocrig::panel {

namespace {

using config::Value;

const int powerLow = 5, powerHigh = 100;  // as far as the power keys go
const int highestSwrAlert = 2, highestTunerMode = 2, highestDiagLevel = 2;
const char bandPlans[] = {'1', '2', '6', '7'};  // none, 6+2 m, 6 m, 6+2 m+70 cm

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

// The digit a value's line holds at the value's column, as a number: anything
// else (or a line too short) gives 0.
int digitOf(const config::File& file, Value value) {
    std::string digit = config::slice(file.text(value), config::lineOf(value).column, 1);
    return allDigits(digit) ? digit[0] - '0' : 0;
}

// The transmit power: the line's length says how many of its last characters
// hold the value. A value that is not all digits leaves 100.
int powerFromLine(const std::string& line) {
    int power = powerHigh;
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
    return std::clamp(power, powerLow, powerHigh);
}

// The band plan nearest to a digit (the lower of two as near); none for a line without one.
std::string bandPlanFrom(const std::string& line) {
    std::string digit = config::slice(line, config::lineOf(Value::bandPlan).column, 1);
    if (!allDigits(digit)) return {};
    char plan = *std::min_element(std::begin(bandPlans), std::end(bandPlans), [&](char a, char b) {
        return std::abs(a - digit[0]) < std::abs(b - digit[0]);
    });
    // "2" on a line that ends in "3" adds 70 cm.
    if (plan == '2' && digit[0] == '2' && line.back() == '3') plan = '7';
    return std::string(1, plan);
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
    if (!files.readLines(config::fileName, lines)) return false;
    const config::File file(std::move(lines));

    state.link.radioId = -1;  // not known until the translator answers "Z1"

    state.config.powerPercent = file.has(Value::power) ? powerFromLine(file.text(Value::power)) : powerHigh;
    state.config.swrAlert = std::min(digitOf(file, Value::swrAlert), highestSwrAlert);
    state.config.tunerMode = std::min(digitOf(file, Value::tuner), highestTunerMode);
    state.config.bandPlan = bandPlanFrom(file.text(Value::bandPlan));
    state.config.radioPowerSwitch = std::min(digitOf(file, Value::powerSwitch), 1);
    state.config.lockState = digitOf(file, Value::lock) == 1 ? "1" : "0";
    state.config.diagLevel = std::min(digitOf(file, Value::panelDiag), highestDiagLevel);
    return true;
}

}  // namespace vocrig::panel
