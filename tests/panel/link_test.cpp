#include <gtest/gtest.h>

#include <climits>

#include "panel_rig.h"

namespace {

TEST(Link, SendAppendsTerminatorAfterThePacingSound) {
    PanelRig rig;
    rig.panel.send("AG0050");
    EXPECT_EQ(rig.sent(), "AG0050;");
    EXPECT_EQ(rig.words(), "shdelay");
    EXPECT_EQ(rig.state.link.commandText, "AG0050;");
    EXPECT_EQ(rig.state.link.lastFreqCommand, "");
}

TEST(Link, FrequencySettingsGoToVfoBWhileSplit) {
    using vocrig::panel::Split;
    struct Case {
        Split splitOn;
        int swapped;
        std::string sent;
    } cases[] = {{Split::off, 0, "FA00014200000;"}, {Split::on, 0, "FB00014200000;"},
                 {Split::announced, 0, "FB00014200000;"}, {Split::on, 1, "FA00014200000;"}};
    for (const auto& c : cases) {
        PanelRig rig;
        rig.state.dial.splitOn = c.splitOn;
        rig.state.dial.vfoSwapped = c.swapped;
        rig.panel.send("FA00014200000");
        EXPECT_EQ(rig.sent(), c.sent);
        EXPECT_EQ(rig.state.link.lastFreqCommand, c.sent);
    }
}

TEST(Link, PollGoesOutWithoutPacingAndLeavesTheLastFrequency) {
    PanelRig rig;
    rig.panel.send("FA00007100000");
    rig.words();
    rig.panel.send("FA", vocrig::panel::Pacing::none);
    EXPECT_EQ(rig.sent(), "FA00007100000;FA;");
    EXPECT_EQ(rig.words(), "");
    EXPECT_EQ(rig.state.link.lastFreqCommand, "FA00007100000;");
    rig.state.dial.splitOn = vocrig::panel::Split::on;
    rig.panel.send("FA", vocrig::panel::Pacing::none);  // "FB;" is still a poll, not a setting
    EXPECT_EQ(rig.sent(), "FB;");
    EXPECT_EQ(rig.state.link.lastFreqCommand, "FA00007100000;");
}

TEST(Link, EmptyCommandsSendNothing) {
    PanelRig rig;
    rig.panel.send("");
    EXPECT_EQ(rig.sent(), "");
    EXPECT_EQ(rig.words(), "");
    rig.panel.send("RX0");
    EXPECT_EQ(rig.sent(), "RX0;");
    // A closed port swallows the command; the pacing still happens.
    rig.port.close();
    rig.panel.send("CT0");
    EXPECT_EQ(rig.words(), "shdelay / shdelay");
    EXPECT_EQ(rig.port.writeCount, 1);
}

TEST(Link, ReadTakesExactlyWhatIsWaiting) {
    PanelRig rig;
    rig.state.program.running = 1;
    rig.port.inject("FA00014200000;SM0120;");
    rig.panel.readReply();
    EXPECT_EQ(rig.state.link.replyText, "FA00014200000;SM0120;");
    rig.port.inject("RM1005;");
    rig.panel.readReply();
    EXPECT_EQ(rig.state.link.replyText, "RM1005;");
    rig.panel.readReply();
    EXPECT_EQ(rig.state.link.replyText, "");
    rig.port.inject(std::string(300, 'x'));
    rig.panel.readReply();
    EXPECT_EQ(rig.state.link.replyText.size(), 255u);
    rig.panel.readReply();
    EXPECT_EQ(rig.state.link.replyText.size(), 45u);
    EXPECT_EQ(rig.state.program.running, 1);
    EXPECT_EQ(rig.words(), "");  // reading never waits
}

TEST(Link, NcAnywhereInAReplyEndsTheLoop) {
    for (std::string reply : {"NC;", "FA00014200000;NC;", "RM1005;NC;SM0000;"}) {
        PanelRig rig;
        rig.state.program.running = 1;
        rig.port.inject(reply);
        rig.panel.readReply();
        EXPECT_EQ(rig.state.program.running, 0) << reply;
    }
    PanelRig rig;
    rig.state.program.running = 1;
    rig.port.inject("NC");
    rig.panel.readReply();
    EXPECT_EQ(rig.state.program.running, 1);
}

TEST(Link, PauseIsTheDelayWord) {
    PanelRig rig;
    rig.speaker.lengthMs["delay"] = 120;
    rig.panel.pause();
    EXPECT_EQ(rig.words(), "delay");
    EXPECT_EQ(rig.clock.now, 120000);
    // Without the word's file the wait still happens.
    rig.speaker.missing = {"delay", "shdelay"};
    rig.panel.pause();
    EXPECT_EQ(rig.clock.now, 240000);
    rig.panel.send("RX0");
    EXPECT_EQ(rig.clock.now, 370000);
    EXPECT_EQ(rig.words(), "");
}

TEST(Link, NumbersAndPortNames) {
    EXPECT_EQ(vocrig::panel::portName(9), "COM9");
    EXPECT_EQ(vocrig::panel::portName(21), "\\\\.\\COM21");
    EXPECT_EQ(vocrig::panel::portName(10), "\\\\.\\COM10");
    EXPECT_EQ(vocrig::panel::zeroPadded(7, 3), "007");
    EXPECT_EQ(vocrig::panel::zeroPadded(1296200000, 11), "01296200000");
    EXPECT_EQ(vocrig::panel::zeroPadded(-5, 3), "000");
    EXPECT_EQ(vocrig::panel::numberOf("0120"), 120);
    EXPECT_EQ(vocrig::panel::numberOf("12;"), 12);
    EXPECT_EQ(vocrig::panel::numberOf(";12"), 0);
    EXPECT_EQ(vocrig::panel::numberOf("99999999999"), INT_MAX);
}

TEST(Link, ModeSendCarriesWidthAndFmExtras) {
    struct Case {
        int mode;
        std::string sent;
        std::string row;
    } cases[] = {
        {1, "MD1;SH07;", "01"}, {2, "MD2;SH07;", "02"}, {3, "MD3;FW0600;", "03"},
        {4, "MD5;SH08;", "04"}, {5, "MD4;Z3;SQ0;", "05"}, {6, "MD4;Z4;SQ0;", "06"}, {7, "MD7;", "07"},
    };
    for (const auto& c : cases) {
        PanelRig rig;
        rig.state.dial.bandIndex = 4;
        rig.state.dial.mode = c.mode;
        rig.panel.sendMode();
        EXPECT_EQ(rig.sent(), c.sent) << c.mode;
        EXPECT_EQ(rig.state.memory.bandTable[4].substr(0, 2), c.row) << c.mode;
    }
}

TEST(Link, ModeSendReadsTheSquelchInFm) {
    struct Case {
        int mode;
        std::string answer;
        int squelch, fmWide;
    } cases[] = {{5, "SQ0045;", 45, 0}, {6, "SQ0000;", 60, 1}};  // 0 reads as 60
    for (const auto& c : cases) {
        PanelRig rig;
        rig.state.dial.mode = c.mode;
        rig.state.dial.squelch = 10;
        rig.clock.onAdvance = [&] {
            if (rig.port.written.find("SQ0;") != std::string::npos && rig.port.inbox.empty()) rig.port.inject(c.answer);
        };
        rig.panel.sendMode();
        EXPECT_EQ(rig.state.dial.squelch, c.squelch) << c.mode;
        EXPECT_EQ(rig.state.dial.fmWide, c.fmWide) << c.mode;
    }
}

TEST(Link, LsbEndsARepeaterTone) {
    PanelRig rig;
    rig.state.dial.mode = 1;
    rig.state.tone.toneEntry = vocrig::panel::ToneEntry::sent;
    rig.state.tone.toneText = "88.5";
    rig.state.dial.splitOn = vocrig::panel::Split::on;
    rig.panel.sendMode();
    EXPECT_EQ(rig.sent(), "RX0;CT0;MD1;SH07;");
    EXPECT_EQ(rig.state.tone.toneText, "999");
    EXPECT_EQ(rig.state.tone.toneEntry, vocrig::panel::ToneEntry::none);
    EXPECT_EQ(rig.state.dial.splitOn, vocrig::panel::Split::off);
}

TEST(Link, StatusWords) {
    PanelRig rig;
    auto line = [&] {
        std::string shown;
        for (const auto& d : rig.window.drawn)
            if (d.y == 250 && d.text.find_first_not_of(' ') != std::string::npos)
                shown += std::to_string(d.x) + ":" + d.text + "|";
        rig.window.drawn.clear();
        return shown;
    };
    rig.state.dial.mode = 3;
    rig.state.switches.breakIn = 1;
    rig.state.switches.vox = 1;
    rig.panel.showStatusWords();
    EXPECT_EQ(line(), "550:bkin|");
    EXPECT_EQ(rig.window.currentFont, (vocrig::platform::Font{"Ariel", 50, 850}));
    rig.state.dial.mode = 2;
    rig.state.switches.breakIn = 0;
    rig.state.switches.vox = 0;
    rig.state.switches.processorOn = 1;
    rig.panel.showStatusWords();
    EXPECT_EQ(line(), "460:spc|");
    rig.state.dial.mode = 4;
    rig.state.tone.toneText = "N023";
    rig.state.config.lockState = "1";
    rig.state.link.lockAvailable = 1;
    rig.state.switches.preampOn = rig.state.switches.attOn = rig.state.switches.nbOn = rig.state.switches.nrOn =
        rig.state.switches.notchOn = 1;
    rig.state.levels.monitorLevel = 7;
    rig.panel.showStatusWords();
    EXPECT_EQ(line(), "40:preamp |170:att|240:nb|310:nr|360:notch|620:mon|700:lock|770:dcs=N023        |");
}

}  // namespace
