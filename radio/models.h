#pragma once

// What the programs need to know about each ICOM transceiver: one row per
// model. The translator finds the radio's CI-V address by the model name in
// vocrig.cfg and picks its frames by that address; the panel learns the same
// address from the translator ("Z1") and reads its abilities from the row.
#include <span>
#include <string_view>

namespace vocrig::radio {

struct Model {
    std::string_view name;           // as written in vocrig.cfg; empty: known to the panel by address only
    int address;                     // CI-V address, which is also the panel's radio identity
    int group;                       // 1: the newer radios with the link-start menu item
    std::string_view rtsMenuItem;    // menu item number of the RTS keying setting; empty: 00 78
    std::string_view identifySetUp;  // frame body sent when the panel identifies the radio; empty: none
    int linkStartMenuItem;           // menu item switched on at link start (group 1); -1 none
    bool modeSevenBare;              // "MD7" goes out without a mode byte
    bool dialLock;                   // the dial-lock commands "LO0"/"LO1" work
    bool fixedSwap;                  // the VFO swap leaves the panel's own swap state as it is
    bool rtsKeying;                  // the RTS line can key the transmitter ("EX1080"/"EX1081")
    bool fullTunePower;              // the tuning carrier goes out at "PC100" instead of "PC040"
};

// Every row, in the order of the table.
std::span<const Model> models();

// The row of a model name exactly as written ("7300", "746PRO"); null for
// "AUTO" and for names not in the table. Rows without a name never match.
const Model* byName(std::string_view name);

// The first row with this address; null when no model has it. Rows that share
// an address agree on everything looked up by address.
const Model* byAddress(int address);

// The address of a model name; 0 when the radio is to be found by broadcast.
int addressOf(std::string_view name);

}  // namespace vocrig::radio
