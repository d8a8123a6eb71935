// Faults found by running the translator as an operator's setup would run it
// (long runs at full poll rate, a faulty CI-V line, the radio switched off,
// panels closed half-way): one row each, with what must happen instead.
#include <gtest/gtest.h>

#include <functional>

#include "rig.h"

namespace vocrig::test {
namespace {

using Frames = std::vector<std::string>;

struct Fault {
    const char* name;
    Config config;
    std::function<void(Rig&)> run;  // drives the rig and checks what it must
};

class Faults : public ::testing::TestWithParam<Fault> {};

TEST_P(Faults, AreHandledSoundly) {
    Rig rig;
    rig.start(GetParam().config);
    GetParam().run(rig);
}

std::string faultName(const ::testing::TestParamInfo<Fault>& info) { return info.param.name; }

const std::string answer7100 = "FE FE E0 94 03 00 00 10 07 00 FD";

INSTANTIATE_TEST_SUITE_P(
    Table, Faults,
    ::testing::Values(
        // The radio goes silent (switched off; the interface still echoes), then its port fails.
        Fault{"RadioGoneHoldsRepliesAndIsReopened", {.debug = 1},
              [](Rig& rig) {
                  rig.command("FA;");
                  EXPECT_EQ(rig.replies(), "FA00007100000;");
                  rig.frames();
                  rig.clock.now += Translator::radioSilenceMicros - 1;
                  rig.hear("FE FE 94 E0 03 FD");  // an echo is not the radio
                  EXPECT_EQ(rig.console.output.find("Radio lost"), std::string::npos);
                  rig.clock.now += 1;
                  rig.t.turn();
                  EXPECT_NE(rig.console.output.find("Radio lost\n"), std::string::npos);
                  rig.command("FA;");
                  rig.command("FA00014250000;");  // sent, but not taken as the radio's frequency
                  EXPECT_EQ(rig.replies(), "");
                  EXPECT_EQ(rig.frames(), (Frames{"03", "05 00 00 25 14 00"}));
                  rig.hear(answer7100);
                  EXPECT_NE(rig.console.output.find("Radio found\n"), std::string::npos);
                  rig.command("FA;");
                  EXPECT_EQ(rig.replies(), "FA00007100000;");

                  rig.radio.hungUp = true;  // the cable is pulled
                  rig.radio.failOpen = true;
                  int attempts = rig.radio.openAttempts;
                  rig.t.turn();
                  EXPECT_FALSE(rig.radio.isOpen());
                  for (int i = 0; i < 30; ++i) {  // 3 s in steps of 100 ms
                      rig.clock.now += 100000;
                      rig.t.turn();
                  }
                  EXPECT_EQ(rig.radio.openAttempts - attempts, 3);  // about once a second
                  rig.radio.failOpen = false;
                  rig.clock.now += Translator::reopenMicros;
                  rig.t.turn();
                  EXPECT_TRUE(rig.radio.isOpen());
                  EXPECT_EQ(rig.radio.baud, 19200);
                  rig.command("FA;");
                  EXPECT_EQ(rig.replies(), "");  // held back until the radio answers
                  rig.hear(answer7100);
                  rig.command("FA;");
                  EXPECT_EQ(rig.replies(), "FA00007100000;");
                  EXPECT_NE(rig.log().find("Radio lost\r\n"), std::string::npos);
              }},
        // Several commands in one read: each is handled, in order; only "quit" ends.
        Fault{"EveryCommandOfAReadIsHandled", {},
              [](Rig& rig) {
                  rig.command("FA;MD2;*Q;xqu;AG0128;quit;FA;");
                  EXPECT_EQ(rig.frames(), (Frames{"03", "06 01", "14 01 01 28"}));
                  EXPECT_EQ(rig.replies(), "FA00007100000;");
                  EXPECT_TRUE(rig.t.ended());
                  EXPECT_NE(rig.console.output.find("Quit\n"), std::string::npos);
              }},
        // A panel that closed half-way through a command, then the next panel's poll.
        Fault{"StalePartialCommandIsDropped", {},
              [](Rig& rig) {
                  rig.command("FA0001");
                  rig.clock.now += Translator::staleCommandMicros + 1;
                  rig.command("FA;");
                  EXPECT_EQ(rig.frames(), Frames{"03"});
                  rig.command("FA0001");  // within the second: joined, and not 11 digits
                  rig.command("FA;");
                  rig.command("FB014250000;FA000142500001;FA0001425000x;");
                  EXPECT_EQ(rig.frames(), Frames{});
                  rig.replies();
                  rig.command("FA;FB;");
                  EXPECT_EQ(rig.replies(), "FA00007100000;FB00007100000;");
              }},
        // Damaged or foreign frames from the radio: nothing outside the dialect reaches the panel.
        Fault{"DamagedRadioFramesChangeNothing", {.model = "AUTO"},
              [](Rig& rig) {
                  rig.hear("FE FE E0 3B FD");     // no command byte: no address from it
                  rig.hear("FE FE E0 E0 03 FD");  // our own address is never the radio's
                  EXPECT_EQ(rig.st().radioAddress, 0);
                  rig.hear("FE FE E0 00 19 00 00 FD");  // nor is broadcast, from an identity answer
                  EXPECT_EQ(rig.st().radioAddress, 0);
                  rig.hear("FE FE E0 94 03 00 00 00 00 AB FD");  // half bytes above 9
                  rig.hear("FE FE E0 94 25 01 00 00 00 00 1A FD");
                  rig.hear("FE FE E0 94 15 02 07 60 FD");  // S-meter 760
                  rig.hear("FE FE E0 94 14 01 01 2A FD");  // no BCD
                  rig.hear("FE FE E0 94 16 47 0B FD");     // switch byte 0B
                  rig.t.turn();
                  EXPECT_EQ(rig.st().radioAddress, 0x94);  // the first sound frame names the radio
                  rig.command("FA;");
                  rig.command("FB;");
                  rig.command("SM0;");
                  EXPECT_EQ(rig.replies(), "FA00007100000;FB00007100000;SM0000;");  // and no "AG0", "BI"
              }},
        // A translation that would carry FD or FE inside a frame.
        Fault{"NoFramingByteInsideAFrame", {},
              [](Rig& rig) {
                  rig.command("CN3.\xFD;");
                  rig.command("CN88.;");
                  rig.command("CN88.x;");
                  EXPECT_EQ(rig.frames(), Frames{});
                  rig.command("CN88.5;");
                  EXPECT_EQ(rig.frames(), Frames{"1B 00 00 08 85"});
              }},
        // A second program writes two frames back to back, the second split by the read.
        Fault{"PassThroughForwardsWholeFramesOnly", {.passThrough = "7"},
              [](Rig& rig) {
                  rig.passThrough.inject(hex("FE FE 94 E0 03 FD FE FE 94 E0 15"));
                  rig.t.turn();
                  EXPECT_EQ(toHex(rig.radio.takeWritten()), "FE FE 94 E0 03 FD");
                  rig.passThrough.inject(hex("02 FD 00 15 02 FD FE FE 94 E0 04 FD"));
                  rig.t.turn();  // the piece without a frame start is never sent
                  EXPECT_EQ(toHex(rig.radio.takeWritten()), "FE FE 94 E0 15 02 FD FE FE 94 E0 04 FD");
                  EXPECT_TRUE(rig.st().passThroughBuffer.empty());
              }},
        // debug.dat at 50 polls a second grows 30 MB an hour.
        Fault{"LogIsRotatedAtItsLimit", {.debug = 1},
              [](Rig& rig) {
                  rig.command("FA;");
                  std::string before = rig.log();
                  rig.st().logBytes = Translator::logLimit - 10;  // as after hours of polling
                  rig.command("SM0;");
                  EXPECT_EQ(rig.files.files["debug.old"].rfind(before, 0), 0u);
                  EXPECT_EQ(rig.files.files["debug.old"].find("FromProg= SM0;\r\n", before.size()), before.size());
                  rig.command("FA;");
                  EXPECT_EQ(rig.log().rfind("TORADIO= FE FE 94 E0 15 02 FD  \r\nToProg= SM0000;\r\n", 0), 0u);
                  EXPECT_NE(rig.log().find("FromProg= FA;\r\n"), std::string::npos);
              }},
        // SWR: the radio's own reading, 0-255, as the panel and the radio's scale read it.
        Fault{"SwrIsTheRadiosReading", {},
              [](Rig& rig) {
                  rig.command("RM1;");
                  EXPECT_EQ(rig.replies(), "");  // no reading yet
                  for (auto [bytes, reply] :
                       {std::pair{"00 48", "RM1048;"}, {"01 20", "RM1120;"}, {"02 55", "RM1255;"}}) {
                      rig.hear(std::string("FE FE E0 94 15 12 ") + bytes + " FD");
                      rig.command("RM1;");
                      EXPECT_EQ(rig.replies(), reply);
                  }
                  rig.command("RX;");
                  rig.command("RM1;");
                  EXPECT_EQ(rig.replies(), "RM1099;");
              }},
        // The panel killed while transmitting: the radio is put in receive, the
        // panel started again; a third end within a minute ends the translator.
        Fault{"PanelThatEndsWithoutQuitIsStartedAgain", {.debug = 1},
              [](Rig& rig) {
                  rig.command("Z5;");
                  rig.frames();
                  auto endPanel = [&rig](platform::ProgramEnd end) {
                      rig.process.programEnd = end;
                      rig.t.turn();
                      EXPECT_EQ(rig.frames(), Frames{});  // what it wrote last may still be coming
                      rig.clock.now += Translator::panelEndSettleMicros;
                      rig.t.turn();
                      EXPECT_EQ(rig.frames(), Frames{"1C 00 00"});
                  };
                  endPanel({-1, "killed by signal 9 (Killed)"});
                  EXPECT_EQ(rig.process.started.size(), 2u);
                  EXPECT_EQ(rig.panel.farEndReleases, 1);
                  const std::string said = "The panel ended without quit (killed by signal 9 (Killed)): transmit off "
                                           "sent to the radio; the panel is started again";
                  EXPECT_NE(rig.console.output.find(said + "\n"), std::string::npos) << rig.console.output;
                  EXPECT_NE(rig.log().find(said + "\r\n"), std::string::npos);
                  rig.clock.now += 61'000'000;
                  endPanel({1, "exit status 1"});  // vocrig.cfg is there: not what ended it
                  rig.clock.now += 20'000'000;
                  endPanel({0, "exit status 0"});
                  EXPECT_EQ(rig.process.started.size(), 4u);
                  EXPECT_FALSE(rig.t.ended());
                  rig.clock.now += 20'000'000;
                  endPanel({-1, "killed by signal 11 (Segmentation fault)"});
                  EXPECT_EQ(rig.process.started.size(), 4u);
                  EXPECT_TRUE(rig.t.ended());
                  EXPECT_EQ(rig.t.exitStatus(), 3);
                  EXPECT_NE(rig.console.output.find("(killed by signal 11 (Segmentation fault)): transmit off sent to "
                                                    "the radio; 3 times within a minute, so the translator ends too\n"
                                                    "Quit\n"),
                            std::string::npos)
                      << rig.console.output;
              }},
        // "quit" that comes right after the panel is seen to end is a quit.
        Fault{"PanelThatQuitsAsItEndsIsNotStartedAgain", {},
              [](Rig& rig) {
                  rig.process.programEnd = platform::ProgramEnd{0, "exit status 0"};
                  rig.t.turn();
                  rig.clock.now += Translator::panelEndSettleMicros / 2;
                  rig.command("RX0;CT0;quit;");
                  EXPECT_TRUE(rig.t.ended());
                  EXPECT_EQ(rig.t.exitStatus(), 0);
                  EXPECT_EQ(rig.process.started.size(), 1u);
              }},
        Fault{"PanelWithoutConfigurationEndsTheTranslator", {},
              [](Rig& rig) {
                  rig.files.files.erase("vocrig.cfg");
                  rig.process.programEnd = platform::ProgramEnd{1, "exit status 1"};
                  rig.t.turn();
                  rig.clock.now += Translator::panelEndSettleMicros;
                  rig.t.turn();
                  EXPECT_TRUE(rig.t.ended());
                  EXPECT_EQ(rig.t.exitStatus(), 2);
                  EXPECT_EQ(rig.process.started.size(), 1u);
                  EXPECT_NE(rig.console.output.find("The panel ended: vocrig.cfg is missing in the working folder\n"),
                            std::string::npos);
              }}),
    faultName);

}  // namespace
}  // namespace vocrig::test
