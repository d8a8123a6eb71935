#pragma once

// The bands the panel knows, one row each: the band row number, its spoken
// name, the megahertz it covers, the band row it starts with, and the band
// plans (vocrig.cfg) whose radios have it. Band rows, speech, band stepping,
// the band letters and typed frequencies all read this one table.

#include <span>
#include <string>

namespace vocrig::panel {

inline constexpr int generalCoverage = 14;  // the band row of every frequency outside the amateur bands

struct BandInfo {
    int row;                    // band row 1..14
    const char* words[2];       // spoken name, one or two words
    long long lowMHz, highMHz;  // whole megahertz that belong to the band (general coverage: the rest)
    long long typedHighMHz;     // a typed frequency above this is general coverage
    const char* defaultRow;     // the band row until the operator changes it
    const char* plans;          // the band plans whose radios have the band
};

// Rows 1..14 in order.
std::span<const BandInfo> bandInfoTable();
// The row of a band number; null outside 1..14.
const BandInfo* bandInfo(int row);
// The band row a frequency in whole MHz belongs to (general coverage for the rest).
int bandForMHz(long long mhz);
// The band row for typed megahertz: as bandForMHz, but 70 cm is 430 to 439 only.
int bandForTypedMHz(long long mhz);
// Whether a radio of the band plan has the band, as its band letter offers it.
bool planHasBand(const std::string& plan, int row);
// The highest band below general coverage that band stepping passes with the
// plan: Up from it goes on to general coverage, Down from general coverage comes to it.
int topBand(const std::string& plan);

}  // namespace vocrig::panel
