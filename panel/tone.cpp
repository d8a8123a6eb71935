// The repeater tone: what a tone text is, how a stored one is taken up with
// its commands and words, and the keys: I starts a tone entry or switches the
// tone off, N and R start a DCS code, digits and "." type the value, Enter
// takes it.

#include <algorithm>

#include "panel.h"

namespace vocrig::panel {

namespace {

const int dcsLowest = 23, dcsHighest = 754;
const int ctcssLowest = 67, ctcssHighest = 254;
const char* const toneKindWords[] = {"ctcss", "dcs"};

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

const char* toneWord(const std::string& text) { return toneKindWords[isDcsText(text) ? 1 : 0]; }

const char* Tone::word() const { return toneWord(written); }

std::optional<Tone> Tone::parse(const std::string& text) {
    if (isNoTone(text)) return Tone();
    if (isDcsText(text)) {
        const std::string code = text.substr(1);
        if (!allDigits(code)) return std::nullopt;
        const int number = numberOf(code);
        if (number < dcsLowest || number > dcsHighest) return std::nullopt;
        return Tone(text[0] == 'N' ? Kind::dcs : Kind::dcsReversed, text.substr(0, 1) + zeroPadded(number, 3));
    }
    // A CTCSS frequency in Hz: whole hertz, optionally a point and tenths.
    std::string value = text;
    if (!value.empty() && value.back() == '.') value.pop_back();
    const size_t point = value.find('.');
    const std::string whole = value.substr(0, point);
    if (!allDigits(whole)) return std::nullopt;
    if (point != std::string::npos && !allDigits(value.substr(point + 1))) return std::nullopt;
    const int hertz = numberOf(whole);
    if (hertz < ctcssLowest || hertz > ctcssHighest) return std::nullopt;
    return Tone(Kind::ctcss, value);
}

void Panel::applyStoredTone(const BandRecord& record, Occasion occasion, const std::string& toneBefore) {
    PanelState& s = state;
    const Tone tone = Tone::stored(record.tone());
    const bool firstContact = occasion == Occasion::firstContact;
    // FMN and FM carry a tone; the first-contact set-up gives it to the repeater modes AM and FMN.
    const bool carried =
        firstContact ? s.dial.mode == modeAm || s.dial.mode == modeFmNarrow : modeClass(s.dial.mode) == ModeClass::fm;
    // A band row keeps its tone while its mode does not carry it.
    s.tone.toneText = carried || occasion == Occasion::bandChange ? tone.text() : Tone::noneText;
    s.tone.toneEntry = ToneEntry::none;
    if (carried && !tone.none()) {
        if (firstContact) sayWord(tone.word());
        send(tone.command());
        if (firstContact) sayWord("on");
        send("CT1");
        if (!firstContact) sayTone();
        s.tone.toneEntry = ToneEntry::typing;
        s.tone.toneOn = 1;
    } else if (occasion == Occasion::bandChange) {
        // The last band's tone must not go on sounding here.
        if (s.tone.toneOn == 1) send("CT0");
        s.tone.toneOn = 0;
    } else {
        if (occasion == Occasion::channelRecall && tone.none() && !isNoTone(toneBefore)) {
            sayWord(toneWord(toneBefore));
            sayWord("off");
        }
        if (carried || occasion == Occasion::channelRecall) send("CT0");
    }
}

Panel::Flow Panel::toneKey() {
    PanelState& s = state;
    s.tone.toneOn = 0;
    if (!isNoTone(s.tone.toneText)) {
        s.entry.freqEntry = 0;
        send("CT0");
        sayWord(toneWord(s.tone.toneText));
        sayWord("off");
        s.tone.toneEntry = ToneEntry::none;
        s.tone.toneText = Tone::noneText;
        showStatusWords();
    } else if (s.dial.splitOn != Split::off) {
        sayWord("warnctcss");
    } else {
        s.entry.freqEntry = 0;
        sayWord("ec");
        s.tone.toneEntry = ToneEntry::typing;
        s.tone.toneText = Tone::noneText;
    }
    return Flow::stop;
}

Panel::Flow Panel::dcsKey() {
    if (state.tone.toneEntry == ToneEntry::typing && isNoTone(state.tone.toneText)) {
        state.tone.toneText = "N";
        sayWord("n");
    }
    return Flow::stop;
}

Panel::Flow Panel::dcsReverseKey() {
    state.tone.toneText = "R";
    sayWord("r");
    return Flow::stop;
}

Panel::Flow Panel::takeTone() {
    PanelState& s = state;
    const std::optional<Tone> tone = Tone::parse(s.tone.toneText);
    if (!tone || tone->none()) {
        sayWord("invalid");
        s.tone.toneEntry = ToneEntry::none;
        s.tone.toneText = Tone::noneText;
        return Flow::stop;
    }
    s.tone.toneText = tone->text();
    send(tone->command());
    sayWord(tone->word());
    sayWord("on");
    send("CT1");
    s.tone.toneOn = 1;
    showStatusWords();
    s.tone.toneEntry = ToneEntry::sent;
    return Flow::stop;
}

}  // namespace vocrig::panel
