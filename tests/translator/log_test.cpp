#include <gtest/gtest.h>

#include "rig.h"

namespace vocrig::test {
namespace {

const std::string banner = "Vocrig Translator v3.4b  12-06-2026  19:05:07";
const std::string settings = "Com= COM5  speed=  19200   Radio= 7300";

TEST(Printing, NumbersAndHexGroups) {
    EXPECT_EQ(Translator::printedNumber(19200), " 19200 ");
    EXPECT_EQ(Translator::printedNumber(0), " 0 ");
    EXPECT_EQ(Translator::printedNumber(-5), "-5 ");
    EXPECT_EQ(Translator::hexGroups(hex("FE 03 00 A4")), "FE 03 00 A4 ");
    EXPECT_EQ(Translator::hexGroups(""), "");
}

// The same short session at every debug level: an answer, a poll and "quit".
void session(Rig& rig, int debug) {
    rig.start({.debug = debug});
    rig.hear("FE FE E0 94 03 00 00 25 14 00 FD");
    rig.command("FA;");
    rig.command("quit;");
}

const std::string started = banner + "\n" + settings + "\n\n";

TEST(Log, LevelZeroShowsOnlyStartAndQuitAndKeepsNoLog) {
    Rig rig;
    rig.files.files["debug.dat"] = "old run";
    session(rig, 0);
    EXPECT_EQ(rig.console.output, started + "Quit\n");
    EXPECT_EQ(rig.log(), "<none>");
    EXPECT_EQ(rig.console.movedX, 2000);
    EXPECT_EQ(rig.console.movedY, 50);
}

TEST(Log, LevelOneWritesTheTrafficLogOnly) {
    Rig rig;
    session(rig, 1);
    EXPECT_EQ(rig.console.output, started + "Quit\n");
    EXPECT_EQ(rig.console.movedX, 500);
    EXPECT_EQ(rig.log(), banner + "\r\n" + settings + "\r\n \r\n" +
                             "FROMRADIO= FE FE E0 94 03 00 00 25 14 00 FD  \r\n"
                             "FromProg= FA;\r\n"
                             "ToProg= FA00014250000;\r\n"
                             "TORADIO= FE FE 94 E0 03 FD  \r\n"
                             "FromProg= quit;\r\n"
                             "Quit\r\n");
}

TEST(Log, LevelTwoEchoesTrafficOnTheConsole) {
    Rig rig;
    session(rig, 2);
    EXPECT_EQ(rig.console.output, started +
                                      "FROMRADIO= FE FE E0 94 03 00 00 25 14 00 FD \n"
                                      "FromProg= FA;\n"
                                      "ToProg= FA00014250000;\n"
                                      "TORADIO= FE FE 94 E0 03 FD \n"
                                      "FromProg= quit;\n"
                                      "Quit\nquit\n");
}

TEST(Log, EchoDiscardedGivesASecondRadioLine) {
    Rig rig;
    rig.start({.debug = 1});
    rig.hear("FE FE 94 E0 03 FD FE FE E0 94 FB FD");
    EXPECT_NE(rig.log().find("FROMRADIO= FE FE 94 E0 03 FD FE FE E0 94 FB FD  \r\nFROMRADIO= FE FE E0 94 FB FD  \r\n"),
              std::string::npos);
}

TEST(Log, AddressFoundByBroadcast) {
    Rig rig;
    rig.start({.model = "AUTO", .debug = 2});
    rig.console.output.clear();
    rig.hear("FE FE E0 94 19 00 94 FD");
    // 30 characters, blanks to column 42, then the printed number.
    EXPECT_NE(rig.console.output.find("--- Found in Address Field ---" + std::string(12, ' ') + " 148 \n"),
              std::string::npos)
        << rig.console.output;
    EXPECT_NE(rig.log().find("--- Found in Address Field --- " + std::string(11, ' ') + " 148 \r\n"),
              std::string::npos);
}

TEST(Log, DecoderNotesGoToTheLogOnly) {
    Rig rig;
    rig.start({.debug = 2});
    rig.console.output.clear();
    rig.hear("FE FE E0 94 14 01 01 28 FD");
    rig.hear("FE FE E0 94 14 03 00 10 FD");
    rig.hear("FE FE E0 94 14 06 01 00 FD");
    rig.hear("FE FE E0 94 14 12 00 60 FD");
    std::string log = rig.log();
    EXPECT_NE(log.find("--- AF Gain    128 \r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("--- Squelch    10 \r\n"), std::string::npos);
    EXPECT_NE(log.find("--- NR Level   100 \r\n"), std::string::npos);
    EXPECT_NE(log.find("--- NB Level   60 \r\n"), std::string::npos);
    EXPECT_EQ(rig.console.output.find("---"), std::string::npos);
}

TEST(Log, LogThatCannotBeCreatedLeavesTheConsoleEcho) {
    Rig rig;
    rig.files.failWrites = true;
    rig.start({.debug = 2});
    rig.console.output.clear();
    rig.command("FA;");
    EXPECT_EQ(rig.console.output, "FromProg= FA;\nToProg= FA00007100000;\nTORADIO= FE FE 94 E0 03 FD \n");
}

TEST(Log, DiagnosticKeyEchoIsLoggedUpToItsTerminator) {
    Rig rig;
    rig.start({.debug = 2});
    rig.console.output.clear();
    rig.command("*5 (5);x");
    EXPECT_EQ(rig.console.output, "*5 (5)\n");
}

}  // namespace
}  // namespace vocrig::test
