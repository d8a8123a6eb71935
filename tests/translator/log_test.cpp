#include <gtest/gtest.h>

#include "rig.h"

namespace vocrig::test {
namespace {

const std::string banner = "Vocrig Translator v3.4b  12-06-2026  19:05:07";
const std::string settings = "Com= COM5  speed=  19200   Radio= 7300";

// The same short session at every debug level: an answer, a poll and "quit".
void session(Rig& rig, int debug) {
    rig.start({.debug = debug});
    rig.hear("FE FE E0 94 03 00 00 25 14 00 FD");
    rig.command("FA;");
    rig.command("quit;");
}

const std::string started = banner + "\n" + settings + "\n\n";

// Level 0: start and quit on the console, no log (an old one is removed); 1: the
// traffic in debug.dat; 2: the traffic on the console as well.
TEST(Log, EachLevelShowsAndKeepsItsOwn) {
    const std::string traffic[] = {"FROMRADIO= FE FE E0 94 03 00 00 25 14 00 FD ", "FromProg= FA;", "ToProg= FA00014250000;",
                                   "TORADIO= FE FE 94 E0 03 FD ", "FromProg= quit;"};
    std::string logged = banner + "\r\n" + settings + "\r\n \r\n", shown = started;
    for (const std::string& line : traffic) {
        logged += line + (line.back() == ' ' ? " \r\n" : "\r\n");
        shown += line + "\n";
    }
    struct Row {
        int debug;
        std::string console, log;
        int movedX;
    } rows[] = {{0, started + "Quit\n", "<none>", 2000},
                {1, started + "Quit\n", logged + "Quit\r\n", 500},
                {2, shown + "Quit\nquit\n", logged + "Quit\r\n", 500}};
    for (const Row& row : rows) {
        Rig rig;
        rig.files.files["debug.dat"] = "old run";
        session(rig, row.debug);
        EXPECT_EQ(rig.console.output, row.console) << row.debug;
        EXPECT_EQ(rig.log(), row.log) << row.debug;
        EXPECT_EQ(rig.console.movedX, row.movedX) << row.debug;
        EXPECT_EQ(rig.console.movedY, 50) << row.debug;
    }
}

TEST(Log, EchoDiscardedGivesASecondRadioLine) {
    Rig rig;
    rig.start({.debug = 1});
    rig.hear("FE FE 94 E0 03 FD FE FE E0 94 FB FD");
    EXPECT_NE(rig.log().find("FROMRADIO= FE FE 94 E0 03 FD FE FE E0 94 FB FD  \r\nFROMRADIO= FE FE E0 94 FB FD  \r\n"),
              std::string::npos);
    // Echoes and traffic for others ahead of an answer go in one step.
    rig.hear("FE FE 94 E0 03 FD FE FE 94 E0 15 02 FD FE FE E0 94 FB FD");
    EXPECT_NE(rig.log().find("FROMRADIO= FE FE 94 E0 03 FD FE FE 94 E0 15 02 FD FE FE E0 94 FB FD  \r\n"
                             "FROMRADIO= FE FE E0 94 FB FD  \r\n"),
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
