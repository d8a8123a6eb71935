#include <gtest/gtest.h>

#include "panel_rig.h"

namespace {

using vocrig::platform::EventType;

// Once the panel has asked "Z1", gives it the answers one read at a time, the identity last.
void answerIdentity(PanelRig& rig, int id, std::vector<std::string> before = {}) {
    before.push_back(std::string("Z1") + static_cast<char>(id) + ";");
    rig.clock.onAdvance = [&rig, answers = std::move(before), next = size_t(0)]() mutable {
        if (next < answers.size() && rig.port.written.find("Z1;") != std::string::npos && rig.port.inbox.empty())
            rig.port.inject(answers[next++]);
    };
}

TEST(Life, WithoutConfigurationOnlyTheStartWordsAndCfgnf) {
    PanelRig rig;
    rig.port.opened = false;
    EXPECT_EQ(rig.panel.run(), vocrig::panel::exitNoConfiguration);
    EXPECT_EQ(rig.words(), "voc / 3 / point / 4 / cfgnf");
    EXPECT_TRUE(rig.files.files.empty());
    EXPECT_EQ(rig.port.openedName, "");
    EXPECT_EQ(rig.port.written, "");
    EXPECT_FALSE(rig.window.isOpen);
    EXPECT_FALSE(rig.window.timerRunning);
}

TEST(Life, StartLoopAndShutdown) {
    PanelRig rig;
    rig.files.files["vocrig.cfg"] = vocrig::test::TestConfig().text();
    rig.window.tick();
    rig.window.key(74);
    rig.window.closeEvent();
    EXPECT_EQ(rig.panel.run(), vocrig::panel::exitNormal);

    // The window (its banner and help lines: the trace test).
    EXPECT_EQ(rig.window.title, "*** ICOM Vocrig Front Panel v3.4b ***");
    EXPECT_EQ(rig.window.left, 250);
    EXPECT_EQ(rig.window.top, 100);
    EXPECT_EQ(rig.window.width, 950);
    EXPECT_EQ(rig.window.height, 500);
    EXPECT_EQ(rig.window.drawn[0].font, (vocrig::platform::Font{"System", 10, 400}));  // the window's own font
    EXPECT_EQ(rig.window.currentFont, (vocrig::platform::Font{"Ariel", 50, 700}));
    EXPECT_EQ(rig.window.timerPeriodMs, 20);
    EXPECT_FALSE(rig.window.timerRunning);
    EXPECT_FALSE(rig.window.isOpen);

    // The link.
    EXPECT_EQ(rig.port.openedName, "\\\\.\\COM21");
    EXPECT_EQ(rig.port.baud, 38400);
    EXPECT_EQ(rig.port.stopBits, 2);
    EXPECT_FALSE(rig.port.opened);
    // One tick: the first poll.
    EXPECT_EQ(rig.port.written, "Z1;Z2;LO0;FA00007100000;FA;RX0;CT0;quit;");
    EXPECT_EQ(rig.state.link.radioId, 0);
    EXPECT_EQ(rig.state.program.running, 0);

    EXPECT_EQ(rig.words(),
              "voc / 3 / point / 4 / shdelay / delay / delay / delay / delay / delay / shdelay / shdelay / shdelay / "
              "7 / point / 1 / mhz / nc / shdelay / shdelay / shdelay / delay");  // J before the radio answered
    // The tables were saved, with the listing.
    EXPECT_EQ(rig.files.files["savmem.dat"].substr(0, 24), "VOCRIG v3.2a   3.4b 40\r\n");
    EXPECT_TRUE(rig.files.exists("memory.txt"));
}

TEST(Life, IdentityLockAndPowerSwitch) {
    PanelRig rig;
    rig.files.files["vocrig.cfg"] = vocrig::test::TestConfig{.lockLine = true, .lock = '1', .powerSwitch = 1}.text();
    answerIdentity(rig, 164);
    rig.window.closeEvent();
    EXPECT_EQ(rig.panel.run(), vocrig::panel::exitNormal);
    EXPECT_EQ(rig.port.written, "Poweron;PS1;Z1;Z2;LO1;FA00007100000;RX0;CT0;LO0;PS9;quit;");
    EXPECT_EQ(rig.words(),
              "voc / 3 / point / 4 / shdelay / delay / shdelay / delay / delay / delay / delay / delay / delay / "
              "shdelay / delay / shdelay / shdelay / shdelay / 7 / point / 1 / mhz / "
              "shdelay / shdelay / shdelay / shdelay / shdelay / delay");
}

TEST(Life, IdentityTakenFromTheFirstReadThatBeginsWithZ1) {
    PanelRig rig;
    rig.files.files["vocrig.cfg"] = vocrig::test::TestConfig().text();
    answerIdentity(rig, 148, {"SM0000;", "FA00014200000;"});  // the identity arrives for the third read
    rig.panel.run();
    EXPECT_EQ(rig.state.link.radioId, 148);
    EXPECT_EQ(rig.state.link.lockAvailable, 1);
    const std::string words = rig.words();
    EXPECT_NE(words.find("shdelay / delay / delay / delay / shdelay / shdelay / shdelay / 7"), std::string::npos)
        << words;
}

TEST(Life, StartsOnTheSavedRowOrOnFortyMetres) {
    struct Case {
        std::string header;
        int band;
        std::string frequencyCommand;
    } cases[] = {
        {"VOCRIG v3.2a   3.4b", 4, "FA00007100000;"},     // saved without a band
        {"VOCRIG v3.2a   3.4b ?0", 4, "FA00007100000;"},  // no such row
        {"VOCRIG v3.2a   3.4b >", 14, "FA00009600000;"},
        {"VOCRIG v3.2a   3.4b 61", 6, "FA00014250000;"},  // a row saved with its split flag
    };
    for (const auto& c : cases) {
        PanelRig rig;
        rig.files.files["vocrig.cfg"] = vocrig::test::TestConfig().text();
        rig.state.memory.bandTable[4] = "11A00007100000B000071500009990";  // split saved on 40 m too
        rig.state.memory.bandTable[6] = "12A00014250000B000142000009991";
        std::string file = c.header + "\r\n";
        for (size_t r = 1; r <= 14; ++r) file += rig.state.memory.bandTable[r] + "\r\n";
        for (int i = 0; i < 100; ++i) file += "9\r\n";
        rig.files.files["savmem.dat"] = file;
        rig.panel.run();
        EXPECT_EQ(rig.state.dial.bandIndex, c.band) << c.header;
        EXPECT_EQ(rig.port.written.substr(0, 10 + c.frequencyCommand.size()), "Z1;Z2;LO0;" + c.frequencyCommand)
            << c.header;
        EXPECT_EQ(rig.state.dial.bandSplitFlag, c.band == 6 ? 1 : 0) << c.header;
    }
}

TEST(Life, IdentitySwitches) {
    struct Case {
        int id, lock, swap;
    } cases[] = {{164, 1, 0}, {136, 1, 0}, {148, 1, 0}, {152, 1, 1}, {162, 1, 1}, {178, 1, 1},
                 {122, 0, 1}, {142, 0, 1}, {104, 0, 0}, {148 + 1, 0, 0}};
    for (const auto& c : cases) {
        PanelRig rig;
        rig.files.files["vocrig.cfg"] = vocrig::test::TestConfig().text();
        answerIdentity(rig, c.id);
        rig.panel.run();
        EXPECT_EQ(rig.state.link.radioId, c.id);
        EXPECT_EQ(rig.state.link.lockAvailable, c.lock) << c.id;
        EXPECT_EQ(rig.state.link.swapFixed, c.swap) << c.id;
    }
}

TEST(Life, PortThatWillNotOpen) {
    PanelRig rig;
    rig.files.files["vocrig.cfg"] = vocrig::test::TestConfig().text();
    rig.port.opened = false;
    rig.port.failOpen = true;
    rig.window.closeEvent();
    EXPECT_EQ(rig.panel.run(), vocrig::panel::exitNoLink);
    EXPECT_EQ(rig.state.link.linkFailed, 1);
    EXPECT_EQ(rig.words(), "voc / 3 / point / 4 / vnc");
    EXPECT_EQ(rig.port.written, "");
    EXPECT_EQ(rig.window.timerPeriodMs, 0);  // no loop
    EXPECT_EQ(rig.window.events.size(), 1u);
    EXPECT_TRUE(rig.files.exists("savmem.dat"));
    EXPECT_TRUE(rig.files.exists("memory.txt"));
}

// Shutdown after a loop: the state as the loop left it.
struct ShutdownCase {
    std::string lastReply;
    int band, mode, splitOn, preamp;
    std::string rowBefore;
    int bandAfter;
    std::string rowAfter;
};

TEST(Life, ShutdownStoresAndNormalisesTheBandRow) {
    ShutdownCase cases[] = {
        // USB on 20 m: the answer is stored, then split cleared and VFO B set to VFO A.
        {"FA00014250000", 6, 2, 0, 1, "02A00014200000B000142000009991", 6, "02A00014250000B000142500009991"},
        // Split on: VFO B takes the answer, VFO A stays; normalised afterwards.
        {"FB00014300000", 6, 2, 1, 0, "02A00014200000B000142000009991", 6, "02A00014200000B000142000009990"},
        // FM narrow keeps split and VFO B.
        {"FB00145600000", 12, 5, 1, 0, "05A00145000000B001450000009990", 12, "15A00145000000B001456000009990"},
        // AM keeps them too.
        {"FA00009700000", 14, 4, 0, 0, "14A00009600000B000096000009990", 14, "04A00009700000B000096000009990"},
        // FM on 40 m is never stored, but the row is still normalised (mode 6).
        {"FA00007150000", 4, 6, 0, 0, "11A00007100000B000070000009990", 4, "01A00007100000B000071000009990"},
        // An answer from another band: the panel follows the radio, nothing is stored.
        {"FA00007150000", 6, 2, 0, 1, "02A00014200000B000142000009991", 4, "01A00007100000B000071000009990"},
        // No answer at all: nothing stored, the row is normalised.
        {"", 6, 2, 0, 1, "12A00014200000B000143000009991", 6, "02A00014200000B000142000009991"},
    };
    for (const auto& c : cases) {
        PanelRig rig;
        rig.state.poll.lastFreqReply = c.lastReply;
        rig.state.dial.bandIndex = c.band;
        rig.state.dial.mode = c.mode;
        rig.state.dial.splitOn = static_cast<vocrig::panel::Split>(c.splitOn);
        rig.state.switches.preampOn = c.preamp;
        rig.state.memory.bandTable[static_cast<size_t>(c.band)] = c.rowBefore;
        rig.panel.shutDown();
        EXPECT_EQ(rig.state.dial.bandIndex, c.bandAfter) << c.lastReply;
        EXPECT_EQ(rig.state.memory.bandTable[static_cast<size_t>(c.bandAfter)], c.rowAfter) << c.lastReply;
        EXPECT_EQ(rig.port.written, "RX0;CT0;quit;");
        const std::string saved = rig.files.files["savmem.dat"];
        EXPECT_NE(saved.find(c.rowAfter + "\r\n"), std::string::npos);
        EXPECT_EQ(saved[20], static_cast<char>('0' + c.bandAfter));
    }
}

TEST(Life, ClosingWhileTransmittingEndsTheTransmissionFirst) {
    using Transmit = vocrig::panel::PanelState::Transmit;
    for (auto set : {&Transmit::txState, &Transmit::tuning}) {
        PanelRig rig;
        rig.state.transmit.*set = set == &Transmit::txState ? 10 : 1;
        rig.panel.shutDown();
        EXPECT_EQ(rig.port.written, "Z6;RX;RX0;CT0;quit;");
        EXPECT_EQ(rig.state.transmit.txState + rig.state.transmit.tuning, 0);
    }
}

TEST(Life, ModeReportedByTheRadioIsNotStored) {
    PanelRig rig;
    rig.state.poll.lastFreqReply = "FA00014250000";
    rig.state.dial.bandIndex = 6;
    rig.state.dial.mode = 3;
    rig.state.keys.modeReported = 1;
    rig.panel.storeBandRow();
    EXPECT_EQ(rig.state.memory.bandTable[6], "02A00014200000B000142000009991");
    rig.state.keys.modeReported = 0;
    rig.state.tone.toneText = "88.5";
    rig.panel.storeBandRow();
    EXPECT_EQ(rig.state.memory.bandTable[6], "03A00014250000B0001420000088.50");
}

TEST(Life, BandsOfFrequencies) {
    struct Case {
        long long mhz;
        int band;
    } cases[] = {{0, 14},   {1, 1},     {2, 14},    {3, 2},     {5, 3},     {7, 4},     {10, 5},
                 {14, 6},   {18, 7},    {21, 8},    {24, 9},    {28, 10},   {29, 10},   {30, 14},
                 {49, 14},  {50, 11},   {54, 11},   {55, 14},   {143, 14},  {144, 12},  {148, 12},
                 {149, 14}, {429, 14},  {430, 13},  {449, 13},  {450, 14},  {1296, 14}};
    for (const auto& c : cases) EXPECT_EQ(vocrig::panel::bandForMHz(c.mhz), c.band) << c.mhz;
}

}  // namespace
