// What the simulated radio does with each CI-V command: one handler per
// command byte, found through commandTable.

#include <algorithm>
#include <utility>

#include "radio_sim.h"
#include "sim_text.h"

namespace vocrig::radiosim {

namespace {

std::string bytes(std::initializer_list<int> list) {
    std::string out;
    for (int b : list) out.push_back(static_cast<char>(b));
    return out;
}

std::string oneByte(int b) { return std::string(1, static_cast<char>(b)); }

}  // namespace

RadioSim::Reply RadioSim::answered(std::string body, std::string what) {
    return Reply{Outcome::answer, std::move(body), std::move(what), true};
}

RadioSim::Reply RadioSim::accepted(std::string what) { return Reply{Outcome::accept, {}, std::move(what), false}; }

RadioSim::Reply RadioSim::refused(const std::string& what, const std::string& why) {
    return Reply{Outcome::refuse, {}, what + ": refused (" + why + ")", false};
}

const std::array<RadioSim::CommandRow, 18> RadioSim::commandTable{{
    {civ::readFrequency, &RadioSim::readFrequency},
    {civ::readMode, &RadioSim::readMode},
    {civ::setFrequency, &RadioSim::setFrequency},
    {civ::setMode, &RadioSim::setMode},
    {civ::vfo, &RadioSim::selectVfo},
    {civ::split, &RadioSim::split},
    {civ::tuningStep, &RadioSim::tuningStep},
    {civ::attenuator, &RadioSim::attenuator},
    {civ::level, &RadioSim::level},
    {civ::meter, &RadioSim::meter},
    {civ::function, &RadioSim::function},
    {civ::power, &RadioSim::power},
    {civ::identity, &RadioSim::identity},
    {civ::extended, &RadioSim::extended},
    {civ::tone, &RadioSim::tone},
    {civ::transmit, &RadioSim::transmit},
    {civ::vfoFrequency, &RadioSim::vfoFrequency},
    {civ::vfoMode, &RadioSim::vfoMode},
}};

RadioSim::Reply RadioSim::readFrequency(std::string_view data) {
    if (!data.empty()) return refused("read frequency", "unexpected data");
    return answered(oneByte(civ::readFrequency) + encodeFrequency(radio.operating().frequency), "read frequency");
}

RadioSim::Reply RadioSim::readMode(std::string_view data) {
    if (!data.empty()) return refused("read mode", "unexpected data");
    return answered(bytes({civ::readMode, radio.operating().mode, radio.operating().filter}), "read mode");
}

RadioSim::Reply RadioSim::setFrequency(std::string_view data) {
    uint64_t hz = 0;
    if (!decodeFrequency(data, hz)) return refused("set frequency", "not 5 BCD bytes");
    std::string what = "set frequency " + frequencyText(hz);
    if (hz < simModel->lowestHz || hz > simModel->highestHz) return refused(what, "outside the radio's range");
    radio.vfo[static_cast<size_t>(radio.selected)].frequency = hz;
    return accepted(what);
}

const ModeRow* RadioSim::offeredMode(uint8_t code) const {
    const ModeRow* mode = findMode(code);
    if (mode == nullptr || (code == civ::modeDv && !simModel->hasDv)) return nullptr;
    return mode;
}

void RadioSim::applyMode(VfoState& vfo, const ModeRow& mode, uint8_t data, uint8_t filter) {
    vfo.mode = mode.code;
    vfo.data = data;
    vfo.filter = filter;
    if (mode.widthLimit >= 0) vfo.width = std::min(vfo.width, mode.widthLimit);
}

RadioSim::Reply RadioSim::setMode(std::string_view data) {
    if (data.empty() || data.size() > 2) return refused("set mode", "needs a mode and at most a filter");
    uint8_t code = byteAt(data, 0);
    const ModeRow* mode = offeredMode(code);
    std::string what = "set mode " + modeText(code);
    if (mode == nullptr) return refused(what, "not a mode of this radio");
    VfoState& vfo = radio.vfo[static_cast<size_t>(radio.selected)];
    uint8_t filter = vfo.filter;
    if (data.size() == 2) {
        filter = byteAt(data, 1);
        what += " FIL" + std::to_string(filter);
        if (filter < 1 || filter > 3) return refused(what, "filter must be 1 to 3");
    }
    // 06 knows no data modes: whoever asks for USB gets USB with the microphone live, not USB-D.
    applyMode(vfo, *mode, 0, filter);
    return accepted(what);
}

RadioSim::Reply RadioSim::selectVfo(std::string_view data) {
    if (data.empty()) return accepted("VFO mode");
    if (data.size() != 1) return refused("VFO command", "unexpected data");
    switch (byteAt(data, 0)) {
        case civ::selectVfoA.sub: radio.selected = 0; return accepted("select VFO A");
        case civ::selectVfoB.sub: radio.selected = 1; return accepted("select VFO B");
        case civ::equaliseVfos.sub:
            radio.vfo[static_cast<size_t>(1 - radio.selected)] = radio.operating();
            return accepted("VFO A=B");
        case civ::swapVfos.sub: std::swap(radio.vfo[0], radio.vfo[1]); return accepted("swap VFO A and B");
    }
    return refused("VFO command " + hexBytes(data), "not offered by this radio");
}

RadioSim::Reply RadioSim::split(std::string_view data) {
    if (data.empty()) return answered(bytes({civ::split, radio.split ? civ::on : civ::off}), "read split");
    if (data.size() == 1 && byteAt(data, 0) <= civ::on) {
        radio.split = byteAt(data, 0) == civ::on;
        return accepted(radio.split ? "split on" : "split off");
    }
    return refused("split " + hexBytes(data), "not offered by this radio");
}

RadioSim::Reply RadioSim::tuningStep(std::string_view data) {
    if (data.empty()) return answered(bytes({civ::tuningStep, encodeBcdByte(radio.tuningStep)}), "read tuning step");
    int step = 0;
    if (data.size() != 1 || !decodeBcdByte(byteAt(data, 0), step) || step > 13)
        return refused("tuning step " + hexBytes(data), "no such step");
    radio.tuningStep = step;
    return accepted("tuning step " + std::to_string(step));
}

RadioSim::Reply RadioSim::attenuator(std::string_view data) {
    if (data.empty()) return answered(bytes({civ::attenuator, encodeBcdByte(radio.attenuator)}), "read attenuator");
    int db = 0;
    if (data.size() != 1 || !decodeBcdByte(byteAt(data, 0), db) || !attenuatorAccepted(db))
        return refused("attenuator " + hexBytes(data), "no such setting");
    radio.attenuator = db;
    return accepted("attenuator " + std::to_string(db) + " dB");
}

RadioSim::Reply RadioSim::level(std::string_view data) {
    if (data.empty()) return refused("level", "no sub-command");
    uint8_t sub = byteAt(data, 0);
    int index = levelIndex(sub);
    if (index < 0) return refused("level " + hexBytes(data.substr(0, 1)), "not a level of this radio");
    std::string name = levelTable()[static_cast<size_t>(index)].name;
    if (data.size() == 1)
        return answered(oneByte(civ::level) + oneByte(sub) + encodeLevel(radio.level(sub)), "read " + name);
    int value = 0;
    if (!decodeLevel(data.substr(1), value))
        return refused("set " + name + " " + hexBytes(data.substr(1)), "not a level 0000-0255");
    radio.setLevel(sub, value);
    return accepted("set " + name + " " + std::to_string(value));
}

RadioSim::Reply RadioSim::meter(std::string_view data) {
    struct MeterRow {
        uint8_t sub;  // 15 xx
        const char* what;
        int (RadioSim::*reading)() const;
    };
    static constexpr MeterRow meters[] = {
        {civ::sMeter.sub, "read S-meter", &RadioSim::sMeter},
        {civ::powerMeter.sub, "read power meter", &RadioSim::powerMeter},
        {civ::swrMeter.sub, "read SWR meter", &RadioSim::swrMeter},
        {civ::alcMeter.sub, "read ALC meter", &RadioSim::alcMeter},
    };
    if (data.size() != 1) return refused("meter " + hexBytes(data), "meters are read only");
    for (const MeterRow& row : meters)
        if (row.sub == byteAt(data, 0))
            return answered(oneByte(civ::meter) + oneByte(row.sub) + encodeLevel((this->*row.reading)()), row.what);
    return refused("meter " + hexBytes(data), "not a meter of this radio");
}

RadioSim::Reply RadioSim::function(std::string_view data) {
    if (data.empty()) return refused("function", "no sub-command");
    uint8_t sub = byteAt(data, 0);
    int index = functionIndex(sub);
    if (index < 0) return refused("function " + hexBytes(data.substr(0, 1)), "not a function of this radio");
    const FunctionRow& row = functionTable()[static_cast<size_t>(index)];
    if (data.size() == 1)
        return answered(bytes({civ::function, sub, radio.function(sub)}), std::string("read ") + row.name);
    int value = byteAt(data, 1);
    std::string what = std::string(row.name) + " " + hexBytes(data.substr(1));
    if (data.size() != 2 || value > row.highest) return refused(what, "no such setting");
    if (row.highest == 1) what = std::string(row.name) + (value ? " on" : " off");
    radio.setFunction(sub, value);
    return accepted(what);
}

RadioSim::Reply RadioSim::power(std::string_view data) {
    if (data.size() != 1) return refused("power " + hexBytes(data), "expected 00 or 01");
    if (byteAt(data, 0) == civ::on) return accepted("power on (already on)");
    if (byteAt(data, 0) != civ::off) return refused("power " + hexBytes(data), "expected 00 or 01");
    stopTransmitting();
    radio.poweredOn = false;
    return accepted("power off");
}

RadioSim::Reply RadioSim::identity(std::string_view data) {
    if (data.size() != 1 || byteAt(data, 0) != civ::transceiverId.sub)
        return refused("identity " + hexBytes(data), "expected 19 00");
    return answered(bytes({civ::identity, civ::transceiverId.sub, simModel->address}), "read identity");
}

RadioSim::Reply RadioSim::extended(std::string_view data) {
    if (!data.empty() && byteAt(data, 0) == civ::filterWidth.sub) return filterWidth(data.substr(1));
    if (!data.empty() && byteAt(data, 0) == civ::menuItem.sub) return menuItem(data.substr(1));
    return refused("1A " + hexBytes(data.substr(0, 1)), "not offered by this simulator");
}

RadioSim::Reply RadioSim::filterWidth(std::string_view data) {
    VfoState& vfo = radio.vfo[static_cast<size_t>(radio.selected)];
    const ModeRow* mode = findMode(vfo.mode);
    if (mode == nullptr || mode->widthLimit < 0)
        return refused("filter width", modeText(vfo.mode) + " has a fixed width");
    if (data.empty())
        return answered(bytes({civ::extended, civ::filterWidth.sub, encodeBcdByte(vfo.width)}), "read filter width");
    int index = 0;
    if (data.size() != 1 || !decodeBcdByte(byteAt(data, 0), index) || index > mode->widthLimit)
        return refused("filter width " + hexBytes(data), "no such width in " + modeText(vfo.mode));
    vfo.width = index;
    return accepted("filter width " + std::to_string(filterWidthHz(vfo.mode, index)) + " Hz");
}

RadioSim::Reply RadioSim::menuItem(std::string_view data) {
    if (data.size() < 2) return refused("menu item", "no item number");
    std::string item(data.substr(0, 2));
    if (data.size() == 2) {
        auto found = radio.menu.find(item);
        std::string value = found == radio.menu.end() ? std::string(1, '\x00') : found->second;
        return answered(bytes({civ::extended, civ::menuItem.sub}) + item + value, "read menu item " + hexBytes(item));
    }
    radio.menu[item] = std::string(data.substr(2));
    return accepted("menu item " + hexBytes(item) + " = " + hexBytes(data.substr(2)));
}

RadioSim::Reply RadioSim::tone(std::string_view data) {
    if (data.empty()) return refused("tone", "no sub-command");
    uint8_t sub = byteAt(data, 0);
    std::string_view value = data.substr(1);
    if (sub == civ::repeaterToneFrequency.sub || sub == civ::squelchToneFrequency.sub) {
        bool repeater = sub == civ::repeaterToneFrequency.sub;
        int& tenths = repeater ? radio.repeaterTone : radio.squelchTone;
        std::string name = repeater ? "repeater tone" : "tone squelch frequency";
        if (value.empty())
            return answered(bytes({civ::tone, sub, 0x00, encodeBcdByte(tenths / 100), encodeBcdByte(tenths % 100)}),
                          "read " + name);
        int high = 0, low = 0;
        if (value.size() != 3 || byteAt(value, 0) != 0x00 || !decodeBcdByte(byteAt(value, 1), high) ||
            !decodeBcdByte(byteAt(value, 2), low))
            return refused(name + " " + hexBytes(value), "not a tone frequency");
        int wanted = high * 100 + low;
        if (!ctcssToneAccepted(wanted)) return refused(name + " " + toneText(wanted), "not a standard CTCSS tone");
        tenths = wanted;
        return accepted(name + " " + toneText(wanted));
    }
    if (sub == civ::dcsCode.sub) {
        if (value.empty())
            return answered(bytes({civ::tone, civ::dcsCode.sub, radio.dcsPolarity, radio.dcsCode / 100,
                                   encodeBcdByte(radio.dcsCode % 100)}),
                            "read DCS code");
        int pair = 0;
        if (value.size() != 3 || !decodeBcdByte(byteAt(value, 2), pair) || byteAt(value, 1) > 9)
            return refused("DCS code " + hexBytes(value), "not a DCS code");
        int polarity = byteAt(value, 0);
        int code = byteAt(value, 1) * 100 + pair;
        if ((polarity & 0xEE) != 0) return refused("DCS code " + hexBytes(value), "polarity must be 00, 01, 10 or 11");
        if (!dcsCodeAccepted(code)) return refused("DCS code " + dcsText(code, polarity), "not a standard DCS code");
        radio.dcsCode = code;
        radio.dcsPolarity = polarity;
        return accepted("DCS code " + dcsText(code, polarity));
    }
    return refused("tone " + hexBytes(data.substr(0, 1)), "not offered by this radio");
}

RadioSim::Reply RadioSim::transmit(std::string_view data) {
    if (data.empty()) return refused("1C", "no sub-command");
    uint8_t sub = byteAt(data, 0);
    if (sub == civ::transmitSwitch.sub) {
        if (data.size() == 1)
            return answered(bytes({civ::transmit, sub, radio.transmitting ? civ::on : civ::off}), "read transmit");
        if (data.size() != 2 || byteAt(data, 1) > civ::on)
            return refused("transmit " + hexBytes(data.substr(1)), "expected 00 or 01");
        if (byteAt(data, 1) == civ::off) {
            stopTransmitting();
            return accepted("transmit off");
        }
        uint64_t hz = radio.transmitFrequency();
        if (bandIndexFor(hz) < 0) return refused("transmit on", frequencyText(hz) + " is outside the amateur bands");
        radio.transmitting = true;
        return accepted("transmit on");
    }
    if (sub == civ::tuner.sub) {
        int code = radio.tuner == Tuner::off ? 0 : radio.tuner == Tuner::on ? 1 : 2;
        if (data.size() == 1) return answered(bytes({civ::transmit, sub, code}), "read tuner");
        if (data.size() != 2 || byteAt(data, 1) > 0x02)
            return refused("tuner " + hexBytes(data.substr(1)), "expected 00, 01 or 02");
        switch (byteAt(data, 1)) {
            case 0x00:
                if (radio.tuner == Tuner::tuning) stopTransmitting();  // the tune carrier goes with it
                radio.tuner = Tuner::off;
                return accepted("tuner off");
            case 0x01:
                if (radio.tuner == Tuner::off) radio.tuner = Tuner::on;  // a running tune goes on
                return accepted("tuner on");
            default: return startTune();
        }
    }
    return refused("1C " + hexBytes(data.substr(0, 1)), "not offered by this radio");
}

RadioSim::Reply RadioSim::startTune() {
    uint64_t hz = radio.transmitFrequency();
    if (bandIndexFor(hz) < 0) return refused("tune", frequencyText(hz) + " is outside the amateur bands");
    if (radio.tuner == Tuner::tuning) return accepted("tune (already tuning)");
    radio.tuner = Tuner::tuning;
    radio.transmitting = true;
    tuneStartedAt = now;
    tuneDoneAt = now + static_cast<int64_t>(options.tuneMs) * 1000;
    return accepted("tune");
}

void RadioSim::finishTune() {
    int band = bandIndexFor(radio.transmitFrequency());
    tuneStartedAt = tuneDoneAt = -1;
    radio.tuner = Tuner::on;
    radio.transmitting = false;
    if (band < 0) return;
    const BandRow& row = bandTable()[static_cast<size_t>(band)];
    if (row.antennaSwr <= tunerRange) {
        radio.matched[static_cast<size_t>(band)] = true;
        notes.push_back("tune done on " + std::string(row.name) + ": SWR " + swrText(currentSwr()));
    } else {
        notes.push_back("tune failed on " + std::string(row.name) + ": SWR " + swrText(row.antennaSwr) +
                        " is beyond the tuner's range");
    }
}

void RadioSim::stopTransmitting() {
    if (radio.tuner == Tuner::tuning) {
        tuneStartedAt = tuneDoneAt = -1;
        radio.tuner = Tuner::on;
        notes.push_back("tune broken off");
    }
    radio.transmitting = false;
}

RadioSim::Reply RadioSim::vfoFrequency(std::string_view data) {
    if (data.empty() || byteAt(data, 0) > civ::unselectedFrequency.sub)
        return refused("25 " + hexBytes(data.substr(0, 1)), "expected 25 00 or 25 01");
    uint8_t sub = byteAt(data, 0);
    bool selected = sub == civ::selectedFrequency.sub;
    size_t which = static_cast<size_t>(selected ? radio.selected : 1 - radio.selected);
    std::string name = selected ? "selected VFO" : "unselected VFO";
    if (data.size() == 1)
        return answered(bytes({civ::vfoFrequency, sub}) + encodeFrequency(radio.vfo[which].frequency), "read " + name);
    uint64_t hz = 0;
    if (!decodeFrequency(data.substr(1), hz)) return refused("set " + name, "not 5 BCD bytes");
    std::string what = "set " + name + " " + frequencyText(hz);
    if (hz < simModel->lowestHz || hz > simModel->highestHz) return refused(what, "outside the radio's range");
    radio.vfo[which].frequency = hz;
    return accepted(what);
}

// 26 00/01 [mode [data [filter]]]: like 04/06 with the data mode, for either VFO.
// Left out, the data mode is off and the filter stays as it was.
RadioSim::Reply RadioSim::vfoMode(std::string_view data) {
    if (!simModel->hasVfoMode) return refused("command 26", "unknown to this radio");
    if (data.empty() || byteAt(data, 0) > civ::unselectedMode.sub)
        return refused("26 " + hexBytes(data.substr(0, 1)), "expected 26 00 or 26 01");
    uint8_t sub = byteAt(data, 0);
    bool selected = sub == civ::selectedMode.sub;
    VfoState& vfo = radio.vfo[static_cast<size_t>(selected ? radio.selected : 1 - radio.selected)];
    std::string name = selected ? "selected VFO" : "unselected VFO";
    std::string_view value = data.substr(1);
    if (value.empty())
        return answered(bytes({civ::vfoMode, sub, vfo.mode, vfo.data, vfo.filter}), "read mode of the " + name);
    if (value.size() > 3) return refused("set mode of the " + name, "needs a mode, a data mode and a filter at most");
    uint8_t code = byteAt(value, 0);
    uint8_t dataMode = value.size() >= 2 ? byteAt(value, 1) : 0;
    uint8_t filter = value.size() == 3 ? byteAt(value, 2) : vfo.filter;
    std::string what = "set " + name + " mode " + modeText(code, dataMode);
    if (value.size() == 3) what += " FIL" + std::to_string(filter);
    const ModeRow* mode = offeredMode(code);
    if (mode == nullptr) return refused(what, "not a mode of this radio");
    if (dataMode > simModel->highestDataMode) return refused(what, "no such data mode");
    if (dataMode > 0 && !mode->dataMode) return refused(what, modeText(code) + " has no data mode");
    if (filter < 1 || filter > 3) return refused(what, "filter must be 1 to 3");
    applyMode(vfo, *mode, dataMode, filter);
    return accepted(what);
}

}  // namespace vocrig::radiosim
