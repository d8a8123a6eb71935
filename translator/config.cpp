// Reading vocrig.cfg: the translator's lines (radio/config_layout.h). A value
// that cannot be right is refused before any port is opened: the console says
// which line, what was read there and what was expected.
#include <algorithm>
#include <cctype>
#include <iterator>

#include "radio/config_layout.h"
#include "translator.h"

namespace vocrig::translator {

namespace {

using config::Value;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(const std::string& text) { return !text.empty() && std::all_of(text.begin(), text.end(), isDigit); }

// A digit right before or right after the characters taken means the number
// on the line is longer than the place it is read from: it would be read cut.
// (`first` counts from 1; `count` 0 runs to the end of the line.)
bool cutNumber(const std::string& line, size_t first, size_t count) {
    bool before = first > 1 && first - 1 <= line.size() && isDigit(line[first - 2]);
    bool after = count > 0 && first + count <= line.size() && isDigit(line[first + count - 1]);
    return before || after;
}

// How one of the translator's lines reads, for the refusal when it cannot be right.
struct Reading {
    const config::File& file;
    Value value;
    std::vector<std::string>& refused;

    std::string line() const { return file.text(value); }

    // "vocrig.cfg line N: " + what was read + what was expected.
    void refuse(const std::string& taken, const std::string& expected) const {
        std::string said = config::fileName;
        said.append(" line ").append(std::to_string(file.number(value))).append(": ");
        if (file.has(value))
            said.append(1, '"').append(line()).append("\" reads as ").append(config::lineOf(value).what).append(" ")
                .append(taken);
        else
            said.append("nothing, the file ends at line ").append(std::to_string(file.lineCount()));
        said.append("; expected ").append(expected);
        refused.push_back(said);
    }
};

std::string example(Value value, const char* text) { return std::string(config::lineOf(value).label) + text; }

std::string speedList() {
    std::string list;
    const size_t count = std::size(config::speeds);
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) list += i + 1 == count ? " or " : ", ";
        list += std::to_string(config::speeds[i]);
    }
    return list;
}

bool isAuto(const std::string& model) {
    std::string lower = model;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower == "auto";
}

}  // namespace

Translator::ConfigReading Translator::readConfiguration() {
    ConfigReading out;
    std::vector<std::string> lines;
    if (!files.readLines(config::fileName, lines)) {
        out.refused.push_back(std::string(config::fileName) +
                              " is missing: expected it in the working folder, beside savmem.dat");
        return out;
    }
    const config::File file(std::move(lines));

    // Line 1: a line of 6 characters ends in a two-digit port number, any
    // other in a one-digit one (Com=12, Com=5).
    Reading port{file, Value::radioPort, out.refused};
    const std::string portLine = port.line();
    size_t width = portLine.size() == 6 ? 2 : 1;
    std::string number = portLine.size() >= width ? portLine.substr(portLine.size() - width) : std::string();
    st.radioPortName = "\\\\.\\COM" + number;
    if (!allDigits(number) || std::stoi(number) < 1 || std::stoi(number) > 255 ||
        cutNumber(portLine, portLine.size() - width + 1, width))
        port.refuse("\"" + number + "\"",
                    "a port number 1 to 255 in the last characters of the line, as in " +
                        example(Value::radioPort, "5") + " or " + example(Value::radioPort, "12"));

    Reading speed{file, Value::speed, out.refused};
    const size_t speedColumn = config::lineOf(Value::speed).column;
    st.radioBaud = static_cast<int>(decimalValue(config::slice(speed.line(), speedColumn)));
    if (std::find(std::begin(config::speeds), std::end(config::speeds), st.radioBaud) == std::end(config::speeds) ||
        cutNumber(speed.line(), speedColumn, 0))
        speed.refuse(std::to_string(st.radioBaud), speedList() + " from character " + std::to_string(speedColumn) +
                                                       ", as in " + example(Value::speed, "19200"));

    st.radioModel = config::slice(file.text(Value::model), config::lineOf(Value::model).column);
    st.radioAddress = modelAddress(st.radioModel);
    if (st.radioAddress == 0 && !isAuto(st.radioModel))
        out.notes.push_back(std::string(config::fileName) + " line " + std::to_string(file.number(Value::model)) +
                            ": model \"" + st.radioModel +
                            "\" is not in the model table; the radio is found by a broadcast, as with " +
                            example(Value::model, "AUTO"));

    // A line of 8 characters holds a one-digit port number, a longer one two digits.
    Reading pass{file, Value::passThrough, out.refused};
    const size_t passColumn = config::lineOf(Value::passThrough).column;
    const size_t passWidth = pass.line().size() == passColumn ? 1 : 2;
    st.passThroughPort = config::slice(pass.line(), passColumn, passWidth);
    if (!allDigits(st.passThroughPort) || cutNumber(pass.line(), passColumn, passWidth))
        pass.refuse("\"" + st.passThroughPort + "\"", "a port number from character " + std::to_string(passColumn) +
                                                           ", 0 for none, as in " +
                                                           example(Value::passThrough, "0"));
    else if (st.passThroughPort == "20" || st.passThroughPort == "21")
        pass.refuse(st.passThroughPort, "0 for none or another port number: COM20 and COM21 are the panel's link");

    Reading debug{file, Value::debugLevel, out.refused};
    const size_t debugColumn = config::lineOf(Value::debugLevel).column;
    const std::string level = config::slice(debug.line(), debugColumn, 1);
    st.debugLevel = 0;
    if (level.size() == 1 && level[0] >= '0' && level[0] <= '2' && !cutNumber(debug.line(), debugColumn, 1))
        st.debugLevel = level[0] - '0';
    else
        debug.refuse("\"" + level + "\"", "0, 1 or 2 at character " + std::to_string(debugColumn) + ", as in " +
                                              example(Value::debugLevel, "1"));
    return out;
}

}  // namespace vocrig::translator
