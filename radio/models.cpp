// The model table. Byte strings are CI-V bytes as they go on the line.
#include "models.h"

namespace vocrig::radio {

namespace {

using namespace std::literals;

// clang-format off
constexpr Model table[] = {
    // name       address group rts menu item    identify set-up                   link-start  MD7    lock   swap   rts    tune 100
    {"703",       0x68,   0,    {},              {},                                -1,         false, false, false, false, true},
    {"705",       0xA4,   1,    "\x01\x25"sv,    "\x1A\x05\x01\x32\x00"sv,          0x63,       false, true,  false, true,  true},
    {"706",       0x48,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"706MK2",    0x4E,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"706MK2G",   0x58,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"718",       0x5E,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"728",       0x38,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"729",       0x3A,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"735",       0x04,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"737",       0x3C,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"738",       0x44,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"746",       0x57,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"746PRO",    0x66,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"751A",      0x1C,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"756PRO",    0x5C,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"756PRO2",   0x64,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"756PRO3",   0x6E,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"765",       0x2C,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"775",       0x46,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"781",       0x26,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"821",       0x4C,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"6100",      0x70,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"7000",      0x40,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"7100",      0x88,   1,    "\x01\x28"sv,    "\x1A\x05\x01\x32\x01\x28"sv,      0x25,       false, true,  false, true,  false},
    {"7200",      0x76,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"7300",      0x94,   1,    {},              "\x1A\x05\x00\x75\x00"sv,          0x45,       true,  true,  false, true,  false},
    {"7400",      0x66,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"7410",      0x80,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"7600",      0x7A,   0,    {},              {},                                -1,         false, false, true,  false, false},
    {"7610",      0x98,   1,    "\x00\x95"sv,    "\x1A\x05\x01\x16\x00"sv,          0x51,       false, true,  true,  true,  false},
    {"7700",      0x74,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"7800",      0x6A,   0,    {},              {},                                -1,         false, false, false, false, false},
    {"7851",      0x8E,   0,    "\x01\x60"sv,    {},                                -1,         false, false, true,  true,  false},
    {"9100",      0x7C,   0,    "\x00\x59"sv,    {},                                -1,         false, false, false, true,  false},
    {"9700",      0xA2,   1,    "\x01\x20"sv,    "\x1A\x05\x01\x30\x00"sv,          0x59,       false, true,  true,  true,  false},
    // A radio the panel knows by its identity alone; the translator finds it by broadcast.
    {{},          0xB2,   0,    {},              {},                                -1,         false, true,  true,  false, false},
};
// clang-format on

}  // namespace

std::span<const Model> models() { return table; }

const Model* byName(std::string_view name) {
    if (name.empty()) return nullptr;
    for (const Model& row : table)
        if (row.name == name) return &row;
    return nullptr;
}

const Model* byAddress(int address) {
    for (const Model& row : table)
        if (row.address == address) return &row;
    return nullptr;
}

int addressOf(std::string_view name) {
    const Model* row = byName(name);
    return row ? row->address : 0;
}

}  // namespace vocrig::radio
