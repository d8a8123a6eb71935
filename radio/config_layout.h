#pragma once

// vocrig.cfg, the one configuration file both programs read and neither
// writes. Every value stands on a fixed line at a fixed character, and each
// program takes only its own lines; the words in front of a value are for the
// operator. Existing files rely on these positions, so they never move.
//
// The lock line is optional: present, it is line 9 and the lines after it
// move down by one. Blanks and tabs at the end of a line are not part of its
// value.
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace vocrig::config {

inline constexpr const char* fileName = "vocrig.cfg";

enum class Reader { translator, panel };

// The values, in the order of their lines.
enum class Value {
    radioPort,    // the radio's serial port number
    speed,        // the radio's CI-V baud rate
    model,        // the radio model; AUTO: found by a broadcast
    power,        // transmit power in percent
    swrAlert,     // speak the SWR after transmitting
    tuner,        // how the antenna is tuned
    bandPlan,     // which bands above 10 m the radio has
    powerSwitch,  // switch the radio on at start and off at the end
    lock,         // optional line: the dial lock at start
    passThrough,  // port of a second CI-V program, 0 none
    debugLevel,   // the translator's diagnostics
    panelDiag,    // the panel's diagnostics
};

struct Line {
    Value value;
    Reader reader;         // the program that reads it; the other skips it
    std::string_view label;  // the words in front of the value in a written file
    size_t column;         // the value's first character, counted from 1 (the label's length + 1)
    size_t width;          // characters of the value; 0: to the end of the line
    std::string_view what; // the value's name in messages
};

// Every line, in file order (the lock line included). The writer of a file
// puts each label, then the value, so the value starts at its column.
// clang-format off
inline constexpr Line layout[] = {
    // value                 reader               label       column width what
    {Value::radioPort,     Reader::translator, "Com=",     5,     2,    "radio port"},
    {Value::speed,         Reader::translator, "speed=",   7,     0,    "speed"},
    {Value::model,         Reader::translator, "Radio=",   7,     0,    "model"},
    {Value::power,         Reader::panel,      "Power=",   7,     3,    "power"},
    {Value::swrAlert,      Reader::panel,      "Swr=",     5,     1,    "SWR alert"},
    {Value::tuner,         Reader::panel,      "Tun=",     5,     1,    "tuner"},
    {Value::bandPlan,      Reader::panel,      "BandPln=", 9,     1,    "band plan"},
    {Value::powerSwitch,   Reader::panel,      "PowrSw=",  8,     1,    "power switch"},
    {Value::lock,          Reader::panel,      "lock=",    6,     1,    "dial lock"},
    {Value::passThrough,   Reader::translator, "VRPort=",  8,     2,    "pass-through port"},
    {Value::debugLevel,    Reader::translator, "Debug=",   7,     1,    "debug level"},
    {Value::panelDiag,     Reader::panel,      "PDiag=",   7,     1,    "panel diagnostics"},
};
// clang-format on

constexpr const Line& lineOf(Value value) { return layout[static_cast<size_t>(value)]; }

// A line's number in a file with the lock line is its value's place in the table.
constexpr bool layoutInOrder() {
    for (size_t i = 0; i < std::size(layout); ++i)
        if (static_cast<size_t>(layout[i].value) != i || layout[i].label.size() + 1 != layout[i].column) return false;
    return true;
}
static_assert(layoutInOrder(), "the layout lists every value in file order, each label ending before its column");

// Speeds a radio's CI-V port runs at.
inline constexpr int speeds[] = {300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// A file's lines as both programs find their values in it.
class File {
public:
    explicit File(std::vector<std::string> lines);
    bool hasLockLine() const { return lock; }
    // The line number (from 1) a value stands on in this file.
    size_t number(Value value) const;
    // Whether the file reaches the value's line.
    bool has(Value value) const;
    // The value's line without blanks and tabs at its end; empty when missing.
    std::string text(Value value) const;
    size_t lineCount() const { return all.size(); }

private:
    std::vector<std::string> all;
    bool lock = false;
};

// A line without the blanks and tabs at its end.
std::string trimmedEnd(std::string line);

// `count` characters of a line from `column` (counted from 1); to the end when
// count is 0; empty beyond the line's end.
std::string slice(const std::string& line, size_t column, size_t count = 0);

}  // namespace vocrig::config
