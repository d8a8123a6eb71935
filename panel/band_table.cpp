// The band table: everything the panel knows about each band, in one row.

#include "band_table.h"

#include <array>
#include <cstring>

namespace vocrig::panel {

namespace {

// Band rows (the default row): split flag, mode, "A" + VFO A in Hz, "B" + VFO B
// in Hz, tone (Tone::noneText for none), preamp. Band plans: "1" bands 1 to 10
// and general coverage, "6" adds 6 m, "2" adds 2 m, "7" adds 70 cm.
const std::array<BandInfo, 14> bands = {{
    {1, {"160", "metres"}, 1, 1, 1, "01A00001900000B000019000009990", "1627"},
    {2, {"80", "metres"}, 3, 3, 3, "01A00003600000B000036000009990", "1627"},
    {3, {"60", "metres"}, 5, 5, 5, "02A00005400000B000054000009990", "1627"},
    {4, {"40", "metres"}, 7, 7, 7, "01A00007100000B000071000009990", "1627"},
    {5, {"30", "metres"}, 10, 10, 10, "03A00010100000B000101000009990", "1627"},
    {6, {"20", "metres"}, 14, 14, 14, "02A00014200000B000142000009991", "1627"},
    {7, {"17", "metres"}, 18, 18, 18, "02A00018100000B000181000009991", "1627"},
    {8, {"15", "metres"}, 21, 21, 21, "02A00021200000B000212000009991", "1627"},
    {9, {"12", "metres"}, 24, 24, 24, "02A00024890000B000248900009991", "1627"},
    {10, {"10", "metres"}, 28, 29, 29, "02A00028500000B000285000009991", "1627"},
    {11, {"6", "metres"}, 50, 54, 54, "02A00050150000B000501500009991", "627"},
    {12, {"2", "metres"}, 144, 148, 148, "05A00145000000B001450000009990", "27"},
    // 440 to 449 MHz belongs to 70 cm when the radio reports it, but a typed
    // 440 to 449 is taken as general coverage.
    {13, {"70", "metres"}, 430, 449, 439, "05A00432000000B004320000009990", "7"},
    {generalCoverage, {"un", nullptr}, 0, 0, 0, "04A00009600000B000096000009990", "1627"},
}};

bool knownPlan(const std::string& plan) { return plan.size() == 1 && std::strchr("1627", plan[0]) != nullptr; }

}  // namespace

std::span<const BandInfo> bandInfoTable() { return bands; }

const BandInfo* bandInfo(int row) {
    return row >= 1 && row <= generalCoverage ? &bands[static_cast<size_t>(row - 1)] : nullptr;
}

int bandForMHz(long long mhz) {
    for (const BandInfo& band : bands)
        if (band.row != generalCoverage && mhz >= band.lowMHz && mhz <= band.highMHz) return band.row;
    return generalCoverage;
}

int bandForTypedMHz(long long mhz) {
    for (const BandInfo& band : bands)
        if (band.row != generalCoverage && mhz >= band.lowMHz && mhz <= band.typedHighMHz) return band.row;
    return generalCoverage;
}

bool planHasBand(const std::string& plan, int row) {
    const BandInfo* band = bandInfo(row);
    if (!band) return false;
    // No known plan: the letters offer 6 m but not 2 m or 70 cm.
    if (!knownPlan(plan)) return row <= 11 || row == generalCoverage;
    return std::strchr(band->plans, plan[0]) != nullptr;
}

int topBand(const std::string& plan) {
    // No known plan: stepping passes every band.
    if (!knownPlan(plan)) return generalCoverage - 1;
    int top = 1;
    for (const BandInfo& band : bands)
        if (band.row != generalCoverage && planHasBand(plan, band.row)) top = band.row;
    return top;
}

}  // namespace vocrig::panel
