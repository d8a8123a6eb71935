// The repeater tone: I starts a tone entry or switches the tone off, N and R
// start a DCS code, digits and "." type the value, Enter takes it.

#include <algorithm>

#include "panel.h"

namespace vocrig::panel {

namespace {

const int dcsLowest = 23, dcsHighest = 754;
const int ctcssLowest = 67, ctcssHighest = 254;

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isDcs(const std::string& tone) { return !tone.empty() && (tone[0] == 'N' || tone[0] == 'R'); }

}  // namespace

std::string checkedTone(const std::string& tone) {
    if (tone == "999") return tone;
    if (isDcs(tone)) {
        const std::string code = tone.substr(1);
        if (!allDigits(code)) return "";
        const int number = numberOf(code);
        if (number < dcsLowest || number > dcsHighest) return "";
        return tone.substr(0, 1) + zeroPadded(number, 3);
    }
    // A CTCSS frequency in Hz: whole hertz, optionally a point and tenths.
    std::string value = tone;
    if (!value.empty() && value.back() == '.') value.pop_back();
    const size_t point = value.find('.');
    const std::string whole = value.substr(0, point);
    if (!allDigits(whole)) return "";
    if (point != std::string::npos && !allDigits(value.substr(point + 1))) return "";
    const int hertz = numberOf(whole);
    if (hertz < ctcssLowest || hertz > ctcssHighest) return "";
    return value;
}

std::string storedTone(const std::string& tone) {
    const std::string checked = checkedTone(tone);
    return checked.empty() ? "999" : checked;
}

Panel::Flow Panel::toneKey() {
    PanelState& s = state;
    s.toneOn = 0;
    if (s.toneText != "999") {
        s.freqEntry = 0;
        send("CT0");
        sayWord(isDcs(s.toneText) ? "dcs" : "ctcss");
        sayWord("off");
        s.toneEntry = ToneEntry::none;
        s.toneText = "999";
        showStatusWords();
    } else if (s.splitOn != Split::off) {
        sayWord("warnctcss");
    } else {
        s.freqEntry = 0;
        sayWord("ec");
        s.toneEntry = ToneEntry::typing;
        s.toneText = "999";
    }
    return Flow::stop;
}

Panel::Flow Panel::dcsKey() {
    if (state.toneEntry == ToneEntry::typing && state.toneText == "999") {
        state.toneText = "N";
        sayWord("n");
    }
    return Flow::stop;
}

Panel::Flow Panel::dcsReverseKey() {
    state.toneText = "R";
    sayWord("r");
    return Flow::stop;
}

Panel::Flow Panel::takeTone() {
    PanelState& s = state;
    const std::string tone = s.toneText == "999" ? "" : checkedTone(s.toneText);
    if (tone.empty()) {
        sayWord("invalid");
        s.toneEntry = ToneEntry::none;
        s.toneText = "999";
        return Flow::stop;
    }
    s.toneText = tone;
    send("CN" + tone);
    sayWord(isDcs(tone) ? "dcs" : "ctcss");
    sayWord("on");
    send("CT1");
    s.toneOn = 1;
    showStatusWords();
    s.toneEntry = ToneEntry::sent;
    return Flow::stop;
}

}  // namespace vocrig::panel
