#include "radio_sim.h"

#include <algorithm>
#include <cstdio>

#include "sim_text.h"

namespace vocrig::radiosim {

namespace {
constexpr int64_t summaryMicros = 10'000'000;  // reads are summed up this often
constexpr int maxNoiseBytes = 8;
constexpr size_t maxReadPerTurn = 65536;
}  // namespace

RadioState::RadioState() : matched(bandTable().size(), false) {
    for (const LevelRow& row : levelTable()) levels.push_back(row.start);
    for (const FunctionRow& row : functionTable()) functions.push_back(row.start);
}

int RadioState::level(uint8_t sub) const {
    int i = levelIndex(sub);
    return i < 0 ? 0 : levels[static_cast<size_t>(i)];
}

void RadioState::setLevel(uint8_t sub, int value) {
    int i = levelIndex(sub);
    if (i >= 0) levels[static_cast<size_t>(i)] = value;
}

int RadioState::function(uint8_t sub) const {
    int i = functionIndex(sub);
    return i < 0 ? 0 : functions[static_cast<size_t>(i)];
}

void RadioState::setFunction(uint8_t sub, int value) {
    int i = functionIndex(sub);
    if (i >= 0) functions[static_cast<size_t>(i)] = value;
}

RadioSim::RadioSim(platform::SerialPort& port, platform::Clock& clock, platform::Console& log, SimOptions options)
    : port(port), clock(clock), log(log), options(std::move(options)) {
    simModel = findModel(this->options.model);
    if (simModel == nullptr) simModel = findModel("7300");
    startMicros = now = clock.monotonicMicros();
    lastSummaryAt = now;
    int baud = std::max(this->options.baud, 300);
    byteMicros = 10'000'000 / baud;  // start bit, 8 data bits, stop bit
    randomState = this->options.seed;
}

void RadioSim::service() {
    now = clock.monotonicMicros();
    if (isUnplugged) return;
    if (options.unplugAfterSeconds > 0 &&
        now - startMicros >= static_cast<int64_t>(options.unplugAfterSeconds * 1e6)) {
        unplug();
        return;
    }
    advanceTimers();
    // Take what is waiting, but never get stuck here when the far end floods us.
    size_t taken = 0;
    for (int waiting = port.bytesWaiting(); waiting > 0 && taken < maxReadPerTurn; waiting = port.bytesWaiting()) {
        std::string chunk = port.read(waiting);
        if (chunk.empty()) break;
        taken += chunk.size();
        reader.feed(chunk);
    }
    CivFrame frame;
    auto logNoise = [this] {
        if (size_t noise = reader.takeDiscarded(); noise > 0 && radio.poweredOn)
            logLine("<- " + std::to_string(noise) + " byte(s) that are no frame, ignored");
    };
    while (reader.next(frame)) {
        logNoise();  // in the order it came
        handleFrame(frame);
    }
    logNoise();
    flushOutput();
    logReadSummary(false);
}

int64_t RadioSim::microsUntilNextEvent() const {
    int64_t next = lastSummaryAt + summaryMicros;
    if (!outgoing.empty()) next = std::min(next, outgoing.front().first);
    if (bootDoneAt >= 0) next = std::min(next, bootDoneAt);
    if (tuneDoneAt >= 0) next = std::min(next, tuneDoneAt);
    if (options.unplugAfterSeconds > 0 && !isUnplugged)
        next = std::min(next, startMicros + static_cast<int64_t>(options.unplugAfterSeconds * 1e6));
    return std::max<int64_t>(0, next - clock.monotonicMicros());
}

void RadioSim::replug() {
    // Whatever was sent while the cable was out never reached the radio.
    for (int waiting = port.bytesWaiting(); waiting > 0; waiting = port.bytesWaiting())
        if (port.read(waiting).empty()) break;
    reader.clear();
    outgoing.clear();
    isUnplugged = false;
    options.unplugAfterSeconds = 0;  // unplugged once is enough
    now = clock.monotonicMicros();
    lineFreeAt = now;
    logLine("plugged in again");
}

void RadioSim::unplug() {
    logReadSummary(true);
    port.close();
    isUnplugged = true;
    outgoing.clear();
    logLine("!! unplugged: the port is hung up (fault injection)");
}

void RadioSim::advanceTimers() {
    if (bootDoneAt >= 0 && now >= bootDoneAt) {
        RadioState before = radio;
        bootDoneAt = -1;
        radio.poweredOn = true;
        offNoticeGiven = false;
        logChanges(before);
        send(buildFrame(bootRequester, simModel->address, std::string(1, static_cast<char>(civ::ok))), now);
    }
    if (tuneDoneAt >= 0 && now >= tuneDoneAt) {
        RadioState before = radio;
        finishTune();
        logChanges(before);
    }
}

void RadioSim::handleFrame(const CivFrame& frame) {
    if (!radio.poweredOn) {
        handleWhileOff(frame);
        return;
    }
    if (options.echo) enqueue(frame.raw, now);
    std::string shown = shownFrame(frame);
    if (frame.to != simModel->address && frame.to != civ::broadcast) {
        if (options.verbose) logLine("<- " + shown + "  for another station");
        return;
    }
    if (frame.from == simModel->address) return;  // our own voice on the bus

    RadioState before = radio;
    uint8_t command = byteAt(frame.body, 0);
    std::string_view data = std::string_view(frame.body).substr(1);
    Reply reply = refused("command " + hexBytes(frame.body.substr(0, 1)), "unknown to this radio");
    for (const CommandRow& row : commandTable)
        if (row.command == command) reply = (this->*row.handler)(data);

    int64_t at = now + static_cast<int64_t>(options.answerDelayMs) * 1000;
    std::string answerBody;
    switch (reply.outcome) {
        case Outcome::answer: answerBody = reply.body; break;
        case Outcome::accept: answerBody.push_back(static_cast<char>(civ::ok)); break;
        case Outcome::refuse: answerBody.push_back(static_cast<char>(civ::ng)); break;
    }
    if (reply.read && reply.outcome == Outcome::answer && !options.verbose) {
        ++readsServed[reply.what];
    } else {
        logLine("<- " + shown + "  " + reply.what);
    }
    send(buildFrame(frame.from, simModel->address, answerBody), at);
    logChanges(before);
    announceChanges(before);
    if (before.poweredOn && !radio.poweredOn) offNoticeGiven = false;
}

// A frame as the log shows it; a long wake-up preamble is counted, not printed.
std::string RadioSim::shownFrame(const CivFrame& frame) {
    if (frame.preamble <= 4) return hexBytes(frame.raw);
    std::string text = "(";
    text.append(std::to_string(frame.preamble));
    text.append(" x FE) ");
    text.append(hexBytes(std::string_view(frame.raw).substr(frame.preamble)));
    return text;
}

void RadioSim::handleWhileOff(const CivFrame& frame) {
    if (bootDoneAt >= 0) {
        ++framesIgnored;
        return;
    }
    bool forUs = frame.to == simModel->address || frame.to == civ::broadcast;
    bool powerOn = frame.body.size() == 2 && byteAt(frame.body, 0) == civ::power && byteAt(frame.body, 1) == civ::on;
    int needed = wakePreambleFor(options.baud);
    if (forUs && powerOn && frame.preamble >= static_cast<size_t>(needed)) {
        logLine("<- " + shownFrame(frame) + "  power on: waking up");
        bootDoneAt = now + static_cast<int64_t>(options.bootMs) * 1000;
        bootRequester = frame.from;
        return;
    }
    ++framesIgnored;
    if (!offNoticeGiven) {
        offNoticeGiven = true;
        std::string why = forUs && powerOn ? " (a wake-up needs " + std::to_string(needed) + " FE bytes in front, got " +
                                                 std::to_string(frame.preamble) + ")"
                                           : "";
        logLine("<- " + shownFrame(frame) + "  ignored: the radio is off" + why +
                "; further frames are ignored silently");
    }
}

void RadioSim::send(std::string bytes, int64_t at) {
    if (options.garbageRate > 0 && random() < options.garbageRate) {
        std::string noise;
        int n = 1 + static_cast<int>(random() * maxNoiseBytes);
        for (int i = 0; i < n; ++i) noise.push_back(static_cast<char>(static_cast<int>(random() * 256) & 0xFF));
        logLine("!! fault: noise " + hexBytes(noise));
        enqueue(noise, at);
    }
    if (options.dropRate > 0 && random() < options.dropRate) {
        logLine("!! fault: dropped " + hexBytes(bytes));
        return;
    }
    if (options.corruptRate > 0 && random() < options.corruptRate) {
        size_t i = static_cast<size_t>(random() * static_cast<double>(bytes.size())) % bytes.size();
        int flip = 1 + static_cast<int>(random() * 255) % 255;
        bytes[i] = static_cast<char>(static_cast<uint8_t>(bytes[i]) ^ flip);
        logLine("!! fault: corrupted byte " + std::to_string(i + 1) + ": " + hexBytes(bytes));
    } else if (options.truncateRate > 0 && bytes.size() > 1 && random() < options.truncateRate) {
        size_t keep = 1 + static_cast<size_t>(random() * static_cast<double>(bytes.size() - 1)) % (bytes.size() - 1);
        bytes.resize(keep);
        logLine("!! fault: truncated to " + hexBytes(bytes));
    }
    if (options.verbose) logLine("-> " + hexBytes(bytes));
    enqueue(bytes, at);
}

void RadioSim::enqueue(const std::string& bytes, int64_t at) {
    int64_t t = at;
    if (options.pace) t = std::max(at, lineFreeAt);
    for (char b : bytes) {
        if (options.pace) t += byteMicros;
        // Keep the queue in time order: an echo must not wait behind a delayed answer.
        auto pos = std::upper_bound(outgoing.begin(), outgoing.end(), t,
                                    [](int64_t when, const std::pair<int64_t, char>& e) { return when < e.first; });
        outgoing.insert(pos, {t, b});
    }
    lineFreeAt = std::max(lineFreeAt, t);
}

void RadioSim::flushOutput() {
    std::string ready;
    while (!outgoing.empty() && outgoing.front().first <= now) {
        ready.push_back(outgoing.front().second);
        outgoing.pop_front();
    }
    if (!ready.empty()) port.write(ready);
}

void RadioSim::announceChanges(const RadioState& before) {
    if (!options.transceive || !radio.poweredOn) return;
    const VfoState& was = before.operating();
    const VfoState& is = radio.operating();
    int64_t at = now + static_cast<int64_t>(options.answerDelayMs) * 1000;
    if (was.frequency != is.frequency)
        send(buildFrame(civ::broadcast, simModel->address,
                        std::string(1, static_cast<char>(civ::announceFrequency)) + encodeFrequency(is.frequency)),
             at);
    if (was.mode != is.mode || was.filter != is.filter) {
        std::string body{static_cast<char>(civ::announceMode), static_cast<char>(is.mode),
                         static_cast<char>(is.filter)};
        send(buildFrame(civ::broadcast, simModel->address, body), at);
    }
}

void RadioSim::logChanges(const RadioState& before) {
    for (const std::string& line : notes) logLine("   " + line);
    notes.clear();
    for (const std::string& line : describeChanges(before, radio)) logLine("   " + line);
}

void RadioSim::logLine(const std::string& text) {
    char stamp[32];
    double seconds = static_cast<double>(now - startMicros) / 1e6;
    std::snprintf(stamp, sizeof stamp, "[%9.3f] ", seconds);
    log.print(stamp + text + "\n");
}

void RadioSim::summarise() { logReadSummary(true); }

void RadioSim::logReadSummary(bool force) {
    if (!force && now - lastSummaryAt < summaryMicros) return;
    if (!readsServed.empty() || framesIgnored > 0) {
        std::vector<std::pair<int, std::string>> counts;
        int total = 0;
        for (const auto& [what, n] : readsServed) {
            counts.push_back({n, what});
            total += n;
        }
        std::sort(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        std::string line = "   answered " + std::to_string(total) + " read(s)";
        for (size_t i = 0; i < counts.size() && i < 4; ++i)
            line += (i ? ", " : ": ") + counts[i].second + " x" + std::to_string(counts[i].first);
        if (counts.size() > 4) line += ", ...";
        if (framesIgnored > 0) line += "; ignored " + std::to_string(framesIgnored) + " frame(s) while off";
        logLine(line);
    }
    readsServed.clear();
    framesIgnored = 0;
    lastSummaryAt = now;
}

}  // namespace vocrig::radiosim
