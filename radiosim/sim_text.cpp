#include "sim_text.h"

#include <cstdio>

#include "radio_sim.h"

namespace vocrig::radiosim {

namespace {

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string onOff(int v) { return v ? "on" : "off"; }

std::string tunerText(Tuner t) {
    switch (t) {
        case Tuner::off: return "off";
        case Tuner::on: return "on";
        case Tuner::tuning: return "tuning";
    }
    return "?";
}

std::string vfoName(size_t i) { return i == 0 ? "VFO A" : "VFO B"; }

std::string levelValue(uint8_t sub, int v) {
    std::string text = std::to_string(v);
    if (sub == civ::keyerSpeed.sub) return text + format(" (%.0f wpm)", 6 + v * 42.0 / 255);
    return text + format(" (%.0f%%)", v * 100.0 / 255);
}

}  // namespace

std::string frequencyText(uint64_t hz) {
    char text[48];
    std::snprintf(text, sizeof text, "%llu.%06llu MHz", static_cast<unsigned long long>(hz / 1000000),
                  static_cast<unsigned long long>(hz % 1000000));
    return text;
}

std::string modeText(uint8_t mode) {
    const ModeRow* row = findMode(mode);
    if (row) return row->name;
    char text[16];
    std::snprintf(text, sizeof text, "mode %02X", mode);
    return text;
}

std::string modeText(uint8_t mode, uint8_t data) {
    if (data == 0) return modeText(mode);
    return modeText(mode) + "-D" + (data == 1 ? "" : std::to_string(data));
}

std::string toneText(int tenths) { return format("%.1f Hz", tenths / 10.0); }

std::string dcsText(int code, int polarity) {
    char text[32];
    std::snprintf(text, sizeof text, "%03d %c/%c", code, (polarity >> 4) ? 'R' : 'N', (polarity & 0x0F) ? 'R' : 'N');
    return text;
}

std::string swrText(double swr) { return format("%.1f", swr); }

std::vector<std::string> describeChanges(const RadioState& before, const RadioState& after) {
    std::vector<std::string> lines;
    auto change = [&](const std::string& what, const std::string& was, const std::string& is) {
        if (was != is) lines.push_back(what + " " + was + " -> " + is);
    };
    if (before.poweredOn != after.poweredOn) lines.push_back(after.poweredOn ? "power on" : "power off");
    for (size_t i = 0; i < 2; ++i) {
        const VfoState& a = before.vfo[i];
        const VfoState& b = after.vfo[i];
        change(vfoName(i), frequencyText(a.frequency), frequencyText(b.frequency));
        change(vfoName(i) + " mode", modeText(a.mode, a.data) + " FIL" + std::to_string(a.filter),
               modeText(b.mode, b.data) + " FIL" + std::to_string(b.filter));
        if (findMode(b.mode) && findMode(b.mode)->widthLimit >= 0 && a.mode == b.mode)
            change(vfoName(i) + " filter width", std::to_string(filterWidthHz(a.mode, a.width)) + " Hz",
                   std::to_string(filterWidthHz(b.mode, b.width)) + " Hz");
    }
    change("operating on", vfoName(static_cast<size_t>(before.selected)), vfoName(static_cast<size_t>(after.selected)));
    change("split", onOff(before.split), onOff(after.split));
    const auto levels = levelTable();
    for (size_t i = 0; i < levels.size(); ++i)
        change(levels[i].name, levelValue(levels[i].sub, before.levels[i]),
               levelValue(levels[i].sub, after.levels[i]));
    const auto functions = functionTable();
    for (size_t i = 0; i < functions.size(); ++i) {
        auto text = [&](int v) { return functions[i].highest == 1 ? onOff(v) : std::to_string(v); };
        change(functions[i].name, text(before.functions[i]), text(after.functions[i]));
    }
    change("attenuator", std::to_string(before.attenuator) + " dB", std::to_string(after.attenuator) + " dB");
    change("tuning step", std::to_string(before.tuningStep), std::to_string(after.tuningStep));
    change("repeater tone", toneText(before.repeaterTone), toneText(after.repeaterTone));
    change("tone squelch frequency", toneText(before.squelchTone), toneText(after.squelchTone));
    change("DCS code", dcsText(before.dcsCode, before.dcsPolarity), dcsText(after.dcsCode, after.dcsPolarity));
    if (before.transmitting != after.transmitting) lines.push_back(after.transmitting ? "transmitting" : "receiving");
    change("tuner", tunerText(before.tuner), tunerText(after.tuner));
    const auto bands = bandTable();
    for (size_t i = 0; i < bands.size(); ++i)
        if (before.matched[i] != after.matched[i])
            lines.push_back(std::string("tuner match on ") + bands[i].name + (after.matched[i] ? " stored" : " lost"));
    for (const auto& [item, value] : after.menu) {
        auto old = before.menu.find(item);
        if (old == before.menu.end() || old->second != value)
            lines.push_back("menu item " + hexBytes(item) + " = " + hexBytes(value));
    }
    return lines;
}

}  // namespace vocrig::radiosim
