#include <gtest/gtest.h>

#include <algorithm>

#include "panel_rig.h"
#include "platform/line_reader.h"

namespace {

using vocrig::platform::splitLines;

const std::string header40 = "VOCRIG v3.2a   3.4b 40";

std::vector<std::string> savedLines(PanelRig& rig, const std::string& name = "savmem.dat") {
    return splitLines(rig.files.files[name]);
}

// A whole file: header, 14 band rows, 100 channels.
std::string fileOf(const std::string& header, std::vector<std::string> rows = {},
                   std::vector<std::string> slots = {}) {
    PanelRig defaults;
    std::string text = header + "\r\n";
    for (size_t r = 1; r <= 14; ++r)
        text += (r <= rows.size() ? rows[r - 1] : defaults.state.memory.bandTable[r]) + "\r\n";
    for (size_t i = 0; i < 100; ++i) text += (i < slots.size() ? slots[i] : std::string("9")) + "\r\n";
    return text;
}

TEST(Memory, DefaultTableAndHeader) {
    PanelRig rig;
    for (int row = 1; row <= 14; ++row) {
        EXPECT_TRUE(vocrig::panel::isBandRecord(rig.state.memory.bandTable[row])) << row;
        EXPECT_EQ(rig.state.memory.bandTable[row].size(), 30u) << row;
    }
    EXPECT_EQ(rig.state.memory.bandTable[4], "01A00007100000B000071000009990");
    EXPECT_EQ(rig.state.memory.bandTable[14], "04A00009600000B000096000009990");
    rig.state.dial.bandIndex = 4;
    rig.panel.saveMemory();
    const auto lines = savedLines(rig);
    ASSERT_EQ(lines.size(), 115u);
    EXPECT_EQ(lines[0], header40);
    EXPECT_EQ(lines[1], "01A00001900000B000019000009990");
    EXPECT_EQ(lines[14], "04A00009600000B000096000009990");
    EXPECT_EQ(lines[15], "9");
    EXPECT_EQ(lines[114], "9");
    // Lines end in CR LF.
    EXPECT_EQ(rig.files.files["savmem.dat"].substr(0, header40.size() + 2), header40 + "\r\n");
}

TEST(Memory, HeaderCarriesBandRowAndNoiseReduction) {
    struct Case {
        int band, nr;
        std::string tail;
    } cases[] = {{1, 0, " 10"}, {9, 1, " 91"},  {10, 0, " :0"}, {11, 1, " ;1"},
                 {12, 0, " <0"}, {13, 0, " =0"}, {14, 1, " >1"}, {99, 1, ""}, {0, 0, ""}};
    for (const auto& c : cases) {
        PanelRig rig;
        rig.state.dial.bandIndex = c.band;
        rig.state.switches.nrOn = c.nr;
        rig.panel.saveMemory();
        EXPECT_EQ(savedLines(rig)[0], "VOCRIG v3.2a   3.4b" + c.tail) << c.band;
    }
}

TEST(Memory, HeaderCharacterTwentyOneIsTheBandRow) {
    struct Case {
        std::string header;
        int band;  // 0: none, start-up then uses row 4
    } cases[] = {
        {"VOCRIG v3.2a   3.4b >", 14},    // no noise-reduction character behind it
        {"VOCRIG v3.2a   3.4b 61", 6},
        {"VOCRIG v3.2a   3.4b 1", 1},
        {"VOCRIG v3.2a   3.3 40", 0},     // another version: character 21 is the "0"
        {"VOCRIG v3.2a   3.4b", 0},       // exactly 19 characters
        {"VOCRIG v3.2a   3.4b ?0", 0},    // row 15 does not exist
        {"VOCRIG v3.2a   3.4b /0", 0},
        {"VOCRIG v3.2a   3.4b z1", 0},
        {"VOCRIG v3.2a", 0},
    };
    for (const auto& c : cases) {
        PanelRig rig;
        rig.files.files["savmem.dat"] = fileOf(c.header);
        rig.panel.loadMemory();
        EXPECT_EQ(rig.state.dial.bandIndex, c.band) << c.header;
    }
}

TEST(Memory, RoundTripKeepsRowsAndChannels) {
    PanelRig rig;
    rig.state.dial.bandIndex = 12;
    rig.state.memory.bandTable[6] = "12A00014250000B000143000009991";
    rig.state.memory.bandTable[12] = "05A00145500000B0014490000088.50";
    rig.state.memory.memorySlots[0] = "0206A00014200000B000142000009991";
    rig.state.memory.memorySlots[37] = "1512A00145500000B00144900000N0230";
    rig.state.memory.memorySlots[99] = "0414A00009600000B000096000009990";
    rig.panel.saveMemory();

    PanelRig loaded;
    loaded.files.files = rig.files.files;
    loaded.panel.loadMemory();
    EXPECT_EQ(loaded.state.dial.bandIndex, 12);
    EXPECT_EQ(loaded.state.memory.bandTable, rig.state.memory.bandTable);
    EXPECT_EQ(loaded.state.memory.memorySlots, rig.state.memory.memorySlots);
    EXPECT_EQ(loaded.files.files, rig.files.files);  // loading writes nothing
}

TEST(Memory, MissingFileIsStartedFromTheTables) {
    PanelRig rig;
    rig.files.files["memory.dat"] = "old\r\n";
    rig.state.dial.bandIndex = 4;
    rig.panel.loadMemory();
    EXPECT_FALSE(rig.files.exists("memory.dat"));
    ASSERT_TRUE(rig.files.exists("savmem.dat"));
    EXPECT_EQ(savedLines(rig)[0], header40);
    EXPECT_EQ(savedLines(rig, "memory.txt"), (std::vector<std::string>{"Memory Bank Information", "  ", "Empty"}));
    EXPECT_EQ(rig.state.dial.bandIndex, 4);
}

TEST(Memory, ForeignFileIsReplaced) {
    for (std::string foreign : {"VOCRIG v3.1  3.0 40\r\n01A\r\n", "", "\r\n", "something else\r\n"}) {
        PanelRig rig;
        rig.files.files["savmem.dat"] = foreign;
        rig.files.files["memory.dat"] = "old\r\n";  // only a missing file clears it away
        rig.state.dial.bandIndex = 4;
        rig.panel.loadMemory();
        const auto lines = savedLines(rig);
        ASSERT_EQ(lines.size(), 115u);
        EXPECT_EQ(lines[0], header40);
        EXPECT_EQ(rig.state.memory.bandTable[1], "01A00001900000B000019000009990");
        EXPECT_TRUE(rig.files.exists("memory.dat"));
        EXPECT_EQ(rig.files.exists("savmem.old"), foreign.size() > 2);  // the old contents are kept
    }
}

TEST(Memory, UnreadableFileIsNeverOverwritten) {
    PanelRig rig;
    rig.files.files["savmem.dat"] = "precious channels\r\n";
    rig.files.unreadable.insert("savmem.dat");
    rig.state.dial.bandIndex = 4;
    rig.panel.loadMemory();
    rig.panel.saveMemory();  // as at exit
    EXPECT_EQ(rig.files.files["savmem.dat"], "precious channels\r\n");
    EXPECT_FALSE(rig.files.exists("memory.txt"));
    EXPECT_EQ(rig.state.memory.bandTable[4], "01A00007100000B000071000009990");  // runs on the defaults
}

// Damaged lines, and a file cut off in the middle of a line as after a crash of
// an older writer: the radio gets the default rows, the file keeps every line.
TEST(Memory, DamagedLinesAreKeptThroughASave) {
    PanelRig defaults;
    std::vector<std::string> rows = {
        "12A00001850000B000018600009991",  // row 1: good
        "01A000036",                       // too short
        "02A0000540000xB000054000009990",  // letter in VFO A
        "01A00007100000X000071000009990",  // no B marker
        "09A00010100000B000101000009990",  // no such mode
        "02A00014200000B00014200000;FA0",  // a ";" where the tone belongs
        "02A00018100000B000181000009",     // no tone
        "02A00021200000B000212000009991",  // row 8: good
    };
    std::vector<std::string> slots = {
        "0206A00014200000B000142000009991",  // good
        "1",                                  // used marker but nothing behind it
        "0206A0001420000xB000142000009991",  // letter in a frequency
        "",                                   // empty line
        "9 whatever",                         // an empty slot
        "0206A00014200000B000142000009991;",  // junk after the record
        "1512A00145500000B0014490000088.50",  // good
    };
    PanelRig rig;
    const std::string whole = fileOf(header40, rows, slots);
    size_t end = 0;
    for (size_t line = 0; line < 1 + 14 + slots.size(); ++line) end = whole.find("\r\n", end) + 2;
    rig.files.files["savmem.dat"] = whole.substr(0, end) + "0206A0001";
    rig.panel.loadMemory();
    EXPECT_EQ(rig.state.memory.bandTable[1], rows[0]);
    for (int r = 2; r <= 7; ++r) EXPECT_EQ(rig.state.memory.bandTable[r], defaults.state.memory.bandTable[r]) << r;
    EXPECT_EQ(rig.state.memory.bandTable[8], rows[7]);
    for (size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(rig.state.memory.memorySlots[i], slots[i]) << i;
    EXPECT_EQ(rig.state.memory.memorySlots[7], "0206A0001");

    // The operator used 80 m: that row is written anew, the other kept lines go back as read.
    rig.state.memory.bandTable[2] = "02A00003700000B000037000009990";
    rig.panel.saveMemory();
    const auto saved = savedLines(rig);
    const auto read = splitLines(whole);
    for (size_t line = 0; line < 1 + 14 + slots.size(); ++line)
        EXPECT_EQ(saved[line], line == 2 ? rig.state.memory.bandTable[2] : read[line]) << line;
    EXPECT_EQ(saved[1 + 14 + 7], "0206A0001");
    const auto listing = savedLines(rig, "memory.txt");
    EXPECT_NE(std::find(listing.begin(), listing.end(), "Slot 1 A=0.0  B=0.0    split  "), listing.end());
}

// A file of another format is moved aside untouched: no line ends changed, no long line cut.
TEST(Memory, ForeignFileIsKeptByteForByte) {
    PanelRig rig;
    const std::string foreign = "VOCRIG v2.0\n" + std::string(400, '7') + "\nlast line without an end";
    rig.files.files["savmem.dat"] = foreign;
    rig.panel.loadMemory();
    EXPECT_EQ(rig.files.files["savmem.old"], foreign);
    EXPECT_EQ(savedLines(rig).size(), 115u);

    // When it cannot be moved aside, it is not replaced either.
    PanelRig stuck;
    stuck.files.files["savmem.dat"] = foreign;
    stuck.files.failWrites = true;
    stuck.panel.loadMemory();
    stuck.files.failWrites = false;
    stuck.panel.saveMemory();  // as at exit
    EXPECT_EQ(stuck.files.files["savmem.dat"], foreign);
    EXPECT_FALSE(stuck.files.exists("savmem.old"));
}

TEST(Memory, SaveRemovesTheOlderFileName) {
    PanelRig rig;
    rig.files.files["savemem.dat"] = "old";
    rig.panel.saveMemory();
    EXPECT_FALSE(rig.files.exists("savemem.dat"));
    EXPECT_TRUE(rig.files.exists("savmem.dat"));
}

// Files whose saves "crash": the write never completes.
class CrashingFiles : public vocrig::platform::fake::MemoryFiles {
public:
    bool writeLines(const std::string&, const std::vector<std::string>&) override { return false; }
    std::unique_ptr<vocrig::platform::FileWriter> create(const std::string& path) override {
        ++creates;
        return MemoryFiles::create(path);
    }
    bool remove(const std::string& path) override {
        removed.push_back(path);
        return MemoryFiles::remove(path);
    }
    int creates = 0;
    std::vector<std::string> removed;
};

TEST(Memory, InterruptedSaveLeavesTheOldFiles) {
    BasicPanelRig<CrashingFiles> rig;
    CrashingFiles& files = rig.files;
    files.files["savmem.dat"] = "VOCRIG v3.2a   3.4b 60\r\nold\r\n";
    files.files["memory.txt"] = "Memory Bank Information\r\n  \r\nEmpty\r\n";
    rig.state.memory.memorySlots[3] = "0206A00014200000B000142000009991";
    rig.panel.saveMemory();
    EXPECT_EQ(files.files["savmem.dat"], "VOCRIG v3.2a   3.4b 60\r\nold\r\n");
    EXPECT_EQ(files.files["memory.txt"], "Memory Bank Information\r\n  \r\nEmpty\r\n");
    EXPECT_EQ(files.creates, 0);
    EXPECT_TRUE(files.removed.empty());
}

TEST(Memory, ListingLines) {
    struct Case {
        std::string record, line;
    } cases[] = {
        {"0206A00014200000B000142000009991", "Slot 3 A=14.2  B=14.2  USB           "},
        {"0104A00007000000B000070000009990", "Slot 3 A=7.0  B=7.0  LSB           "},
        {"0206A00014012500B000140125009991", "Slot 3 A=14.0125  B=14.0125  USB           "},
        {"0214A00000500000B000005000009990", "Slot 3 A=0.5  B=0.5  USB           "},
        {"1512A00145500000B0014490000088.50", "Slot 3 A=145.5  B=144.9  FMN    split  CTCSS=88.5"},
        {"0512A00145500000B00145500000N0230", "Slot 3 A=145.5  B=145.5  FMN           DCS=N023"},
        {"0312A01296000000B012960000009990", "Slot 3 A=1296.0  B=1296.0  CW           "},
        {"0414A00009600000B000096000009990", "Slot 3 A=9.6  B=9.6  AM           "},
        {"0612A00145000000B001450000009990", "Slot 3 A=145.0  B=145.0  FM           "},
        {"0712A00145000000B001450000009990", "Slot 3 A=145.0  B=145.0  DSTAR           "},
        {"2212A00145000000B001450000009990", "Slot 3 A=145.0  B=145.0  USB           "},
        // Whatever a slot holds, the listing stays inside it.
        {"1", "Slot 3 A=0.0  B=0.0    split  "},
        {"0x", "Slot 3 A=0.0  B=0.0           "},
    };
    for (const auto& c : cases) EXPECT_EQ(vocrig::panel::listingLine(3, c.record), c.line) << c.record;
}

TEST(Memory, ListingGroupsUsedSlotsByBank) {
    PanelRig rig;
    rig.state.memory.memorySlots[7] = "0206A00014200000B000142000009991";
    rig.state.memory.memorySlots[32] = "0104A00007000000B000070000009990";
    rig.state.memory.memorySlots[35] = "0206A00014200000B000142000009991";
    rig.panel.exportMemory();
    EXPECT_EQ(savedLines(rig, "memory.txt"), (std::vector<std::string>{
                                                 "Memory Bank Information",
                                                 "  ",
                                                 "  ",
                                                 "Bank0",
                                                 "Slot 7 A=14.2  B=14.2  USB           ",
                                                 "  ",
                                                 "Bank3",
                                                 "Slot 2 A=7.0  B=7.0  LSB           ",
                                                 "Slot 5 A=14.2  B=14.2  USB           ",
                                             }));
    // A save writes the listing too.
    rig.files.files.erase("memory.txt");
    rig.panel.saveMemory();
    EXPECT_EQ(savedLines(rig, "memory.txt").size(), 9u);
}

}  // namespace
