// Band rows and memory channels: the default band table, "savmem.dat" and
// the readable listing "memory.txt".

#include <algorithm>

#include "panel.h"

namespace vocrig::panel {

namespace {

const char* const memoryFile = "savmem.dat";
const char* const listingFile = "memory.txt";
const char* const olderMemoryFile = "memory.dat";  // left behind by an older release
const char* const foreignCopyFile = "savmem.old";  // a replaced file of another format
const char* const olderSaveFile = "savemem.dat";   // likewise
const std::string formatTag = "VOCRIG v3.2a";
const char* const emptySlot = "9";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool digitsAt(const std::string& text, size_t from, size_t count) {
    if (text.size() < from + count) return false;
    return std::all_of(text.begin() + static_cast<long>(from),
                       text.begin() + static_cast<long>(from + count), isDigit);
}

// No tone, a CTCSS frequency such as 88.5 or a DCS code such as N023. Anything
// else (in particular a ";") must never reach the link.
bool isToneText(const std::string& tone) {
    return !tone.empty() && std::all_of(tone.begin(), tone.end(), [](char c) {
        return isDigit(c) || c == '.' || c == 'N' || c == 'R';
    });
}

bool isModeDigit(char c) { return c >= '1' && c <= '7'; }

// Megahertz and decimals of a listing: "14.0125", "7.0", "0.5".
std::string listedFrequency(const std::string& megahertz, const std::string& decimals) {
    size_t first = megahertz.find_first_not_of('0');
    std::string text = first == std::string::npos ? "0" : megahertz.substr(first);
    size_t last = decimals.find_last_not_of('0');
    size_t keep = last == std::string::npos ? 1 : last + 1;
    return text + "." + (decimals.empty() ? std::string("0") : decimals.substr(0, keep));
}

}  // namespace

bool isBandRecord(const std::string& row) {
    return row.size() >= 28 && isDigit(row[0]) && isModeDigit(row[1]) && row[2] == 'A' &&
           digitsAt(row, 3, 11) && row[14] == 'B' && digitsAt(row, 15, 11) &&
           isToneText(row.substr(26, row.size() - 27)) && isDigit(row.back());
}

bool isMemoryRecord(const std::string& row) {
    return row.size() >= 30 && isDigit(row[0]) && isModeDigit(row[1]) && digitsAt(row, 2, 2) &&
           row[4] == 'A' && digitsAt(row, 5, 11) && row[16] == 'B' && digitsAt(row, 17, 11) &&
           isToneText(row.substr(28, row.size() - 29)) && isDigit(row.back());
}

std::string slice(const std::string& text, size_t from, size_t count) {
    return from < text.size() ? text.substr(from, count) : std::string();
}

std::string BandRecord::make(int splitFlag, int mode, const std::string& vfoA, const std::string& vfoB,
                             const std::string& tone, int preampDigit) {
    auto digit = [](int v) { return static_cast<char>('0' + std::clamp(v, 0, 9)); };
    return std::string(1, digit(splitFlag)) + digit(mode) + "A" + vfoA + "B" + vfoB + tone + digit(preampDigit);
}

int BandRecord::splitFlag() const { return !row.empty() && isDigit(row[0]) ? row[0] - '0' : 0; }

int BandRecord::mode() const { return row.size() > 1 && isDigit(row[1]) ? row[1] - '0' : 0; }

std::string BandRecord::vfoA() const { return slice(row, 3, 11); }

std::string BandRecord::vfoB() const { return slice(row, 15, 11); }

std::string BandRecord::tone() const { return row.size() >= 28 ? row.substr(26, row.size() - 27) : Tone::noneText; }

int BandRecord::preampDigit() const { return row.size() >= 28 && isDigit(row.back()) ? row.back() - '0' : 0; }

std::string listingLine(int slot, const std::string& record) {
    std::string line = "Slot " + std::to_string(slot) + " ";
    line += "A=" + listedFrequency(slice(record, 5, 5), slice(record, 10, 6));
    line += "  B=" + listedFrequency(slice(record, 17, 5), slice(record, 22, 6));
    if (const ModeRow* mode = modeRow(record.size() > 1 && isModeDigit(record[1]) ? record[1] - '0' : 0))
        line += mode->listing;
    line += !record.empty() && record[0] == '1' ? "    split  " : "           ";
    const std::string tone = record.size() > 29 ? record.substr(28, record.size() - 29) : Tone::noneText;
    if (!isNoTone(tone)) line += (isDcsText(tone) ? "DCS=" : "CTCSS=") + tone;
    return line;
}

void Panel::setDefaultTables() {
    state.memory.bandTable[0].clear();
    for (const BandInfo& band : bandInfoTable())
        state.memory.bandTable[static_cast<size_t>(band.row)] = band.defaultRow;
    state.memory.memorySlots.fill(emptySlot);
    state.memory.keptBandLines.fill(std::string());
    state.memory.bandLineKept.fill(false);
}

void Panel::loadMemory() {
    std::vector<std::string> lines;
    if (!files.readLines(memoryFile, lines)) {
        if (files.exists(memoryFile)) {
            // The file is there but cannot be read (permissions, something in
            // its way). Run on the defaults, but never write them over the
            // operator's channels: this run saves nothing.
            state.memory.memoryFileHeld = true;
            return;
        }
        if (files.exists(olderMemoryFile)) files.remove(olderMemoryFile);
        saveMemory();  // start the file with the tables as they are
        return;
    }
    if (lines.empty() || lines[0].compare(0, formatTag.size(), formatTag) != 0) {
        // A file of another format is replaced by the current tables. What it
        // held is kept beside it byte for byte; when it cannot be moved aside,
        // it is not overwritten either.
        bool hasContent = false;
        for (const auto& l : lines) hasContent = hasContent || !l.empty();
        if (hasContent && !files.rename(memoryFile, foreignCopyFile)) {
            state.memory.memoryFileHeld = true;
            return;
        }
        saveMemory();
        return;
    }

    // Header character 21 is the band row as the character '0' + row.
    const std::string& header = lines[0];
    int row = header.size() >= 21 ? static_cast<unsigned char>(header[20]) - '0' : 0;
    state.dial.bandIndex = row >= 1 && row <= bandRows ? row : 0;

    // A band line that cannot be used leaves the default row for the radio and
    // is kept for the file. Channel lines are the operator's data: each is kept
    // exactly as read; one that is no channel record is refused at recall.
    for (size_t r = 1; r <= static_cast<size_t>(bandRows); ++r) {
        if (r >= lines.size()) continue;
        if (isBandRecord(lines[r])) {
            state.memory.bandTable[r] = lines[r];
        } else {
            state.memory.keptBandLines[r] = lines[r];
            state.memory.bandLineKept[r] = true;
        }
    }
    for (size_t i = 0; i < static_cast<size_t>(memoryCount); ++i) {
        const size_t at = 1 + bandRows + i;
        if (at < lines.size()) state.memory.memorySlots[i] = lines[at];
    }
}

void Panel::saveMemory() {
    if (state.memory.memoryFileHeld) return;
    if (files.exists(olderSaveFile)) files.remove(olderSaveFile);

    std::string header = formatTag + "   " + state.program.versionText;
    if (state.dial.bandIndex >= 1 && state.dial.bandIndex <= bandRows) {
        header += ' ';
        header += static_cast<char>('0' + state.dial.bandIndex);
        header += state.switches.nrOn ? '1' : '0';
    }
    std::vector<std::string> lines;
    lines.reserve(1 + bandRows + memoryCount);
    lines.push_back(header);
    for (size_t r = 1; r <= static_cast<size_t>(bandRows); ++r) {
        // A kept line goes back as it was read until the operator's use of the band rewrites the row.
        const bool untouched = state.memory.bandTable[r] == bandInfo(static_cast<int>(r))->defaultRow;
        lines.push_back(state.memory.bandLineKept[r] && untouched ? state.memory.keptBandLines[r]
                                                                  : state.memory.bandTable[r]);
    }
    for (const auto& record : state.memory.memorySlots) lines.push_back(record);
    // Written to a temporary file and renamed over the old one: a crash leaves
    // the old file or the new one, never half of it.
    files.writeLines(memoryFile, lines);
    exportMemory();
}

void Panel::exportMemory() {
    std::vector<std::string> lines = {"Memory Bank Information", "  "};
    bool any = false;
    for (int bank = 0; bank < 10; ++bank) {
        bool bankShown = false;
        for (int slot = 0; slot < 10; ++slot) {
            const std::string& record = state.memory.memorySlots[static_cast<size_t>(bank * 10 + slot)];
            if (record.empty() || record[0] == '9') continue;
            if (!bankShown) {
                lines.push_back("  ");
                lines.push_back("Bank" + std::to_string(bank));
                bankShown = true;
            }
            lines.push_back(listingLine(slot, record));
            any = true;
        }
    }
    if (!any) lines.push_back("Empty");
    files.writeLines(listingFile, lines);
}

}  // namespace vocrig::panel
