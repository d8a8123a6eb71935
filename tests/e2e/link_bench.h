#pragma once

// The whole system in one process: a Panel, a Translator and the simulated
// radio joined by in-memory serial cables, all on one manual clock. Whenever
// time passes (the panel speaks, pauses, or the test lets time go by) the
// clock's listener gives the translator its loop turns and the radio its
// service, as real time would while the panel waits.

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fake_serial.h"
#include "fake_speaker.h"
#include "hex.h"
#include "manual_clock.h"
#include "memory_files.h"
#include "panel.h"
#include "radio_sim.h"
#include "recorders.h"
#include "scripted_window.h"
#include "test_config.h"
#include "translator.h"

namespace vocrig::e2e {

using vocrig::test::toHex;

// The link's vocrig.cfg: the translator logs at level 1.
struct LinkConfig : test::TestConfig {
    explicit LinkConfig(std::string name = "7300") {
        model = std::move(name);
        debug = 1;
    }
};

class LinkBench {
public:
    // How many loop turns the translator may take in one clock step while it
    // still finds work; real time gives it thousands per millisecond.
    static constexpr int turnsPerStep = 8;

    explicit LinkBench(radiosim::SimOptions radioOptions = {}) {
        radioLine.b.opened = true;  // the radio's own end of its cable
        radio = std::make_unique<radiosim::RadioSim>(radioLine.b, clock, radioLog, std::move(radioOptions));
        clock.onAdvance = [this] { step(); };
    }

    // Writes the configuration and starts the translator (it opens its ports
    // and, without a known model, asks for the radio by broadcast).
    void startTranslator(const LinkConfig& config = LinkConfig()) {
        files.files["vocrig.cfg"] = config.text();
        translator.startUp();
    }

    // The panel's link start as its start-up runs it: configuration, then openLink.
    bool openPanel() {
        if (!panel.readConfiguration()) return false;
        panel.openLink();
        return panel.state.link.linkFailed == 0;
    }

    // One slice of real time: the radio answers, the translator turns while it
    // finds work, and the radio gets to send what the turns asked of it.
    void step() {
        for (int i = 0; i < turnsPerStep; ++i) {
            radio->service();
            if (!translator.turn()) break;
        }
        radio->service();
    }

    // Both ends up: the translator started and the panel's link open.
    bool link(const LinkConfig& config = LinkConfig()) {
        startTranslator(config);
        return openPanel();
    }

    void passMs(int ms) { clock.advance(static_cast<int64_t>(ms) * 1000); }

    // The window's 20 ms timer, n times.
    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            passMs(20);
            panel.handleEvent({platform::EventType::Timer, 0});
        }
    }

    // The link started and polled until the first frequency answer has set the
    // radio up; what was sent and said until then is taken.
    bool connect(const LinkConfig& config = LinkConfig()) {
        if (!link(config)) return false;
        for (int i = 0; i < 10 && panel.state.poll.connected == 0; ++i) ticks(1);
        sent();
        words();
        return panel.state.poll.connected == 1;
    }

    // The translator's answer to the poll's request as a test gives it: the
    // link is quiet first, then the next tick reads exactly `reply`.
    void answerPoll(const std::string& reply) {
        passMs(50);
        panelLine.b.read(1 << 16);
        panel.state.poll.awaitingReply = 1;
        panelLine.a.write(reply);
        panel.handleEvent({platform::EventType::Timer, 0});
    }

    // What the panel wrote to the link since the last call.
    std::string sent() { return panelLine.b.takeWritten(); }

    // The panel sends one command by hand, as its key handlers do.
    void panelSends(const std::string& text) {
        panel.state.link.commandText = text;
        panel.sendCommand();
    }
    // A pause, then a read: what the panel does after a query.
    std::string panelReads() {
        panel.pause();
        panel.readReply();
        return panel.state.link.replyText;
    }

    // Frames the translator wrote to the radio since the last call, as hex
    // text with the FD, one per frame.
    std::vector<std::string> radioFrames() {
        std::string all = radioLine.a.takeWritten();
        std::vector<std::string> out;
        size_t start = 0;
        while (start < all.size()) {
            size_t fd = all.find('\xFD', start);
            size_t end = fd == std::string::npos ? all.size() : fd + 1;
            out.push_back(toHex(all.substr(start, end - start)));
            start = end;
        }
        return out;
    }

    // Words spoken since the last call, joined with " / ", pacing silences left out.
    std::string words() {
        std::string out;
        for (const auto& w : speaker.words) {
            if (w == "delay" || w == "shdelay") continue;
            if (!out.empty()) out += " / ";
            out += w;
        }
        speaker.words.clear();
        return out;
    }

    std::string file(const std::string& name) {
        auto it = files.files.find(name);
        return it == files.files.end() ? std::string("<none>") : it->second;
    }

    platform::fake::ManualClock clock;
    platform::fake::FakeSpeaker speaker{clock};
    platform::fake::ScriptedWindow window{clock};
    platform::fake::MemoryFiles files;         // the working directory both programs share
    platform::fake::FakeSerialPair panelLine;  // a: translator's COM20, b: panel's COM21
    platform::fake::FakeSerialPair radioLine;  // a: translator's radio port, b: the radio
    platform::fake::FakeSerialEnd passThrough;
    platform::fake::FakeSerialDevices devices;
    platform::fake::FakePortWaiter waiter;
    platform::fake::RecordingConsole console;   // the translator's console
    platform::fake::RecordingConsole radioLog;  // what the radio logs
    platform::fake::RecordingProcess process;
    panel::Trace trace{clock, files.append("vocpanel.trace")};

    vocrig::translator::Translator translator{radioLine.a, panelLine.a, passThrough, devices, waiter,
                                  console,     process,     clock,       files};
    panel::Panel panel{window, speaker, panelLine.b, files, clock, &trace};
    std::unique_ptr<radiosim::RadioSim> radio;
};

}  // namespace vocrig::e2e
