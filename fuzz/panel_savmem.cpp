// savmem.dat: any bytes in the file. The panel starts on it; what it sends
// from the band rows is sound; what it saves loads back and saves again to
// the same bytes, and the same memory.txt.
#include "panel_rig.h"

namespace {

struct Saved {
    std::string memory, listing;
};

Saved startAndSave(const std::string& file) {
    using namespace vocrig::fuzz;
    PanelRig p;
    p.files.files["savmem.dat"] = file;
    p.panel.openLink();  // loads the file and sends the start row's frequency
    p.checkCommands();
    p.panel.saveMemory();
    return {p.files.files["savmem.dat"], p.files.files["memory.txt"]};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vocrig::fuzz;
    Saved first = startAndSave(std::string(reinterpret_cast<const char*>(data), size));
    check(!first.memory.empty(), "the tables are saved");
    Saved second = startAndSave(first.memory);
    check(second.memory == first.memory, "a saved savmem.dat reloads to the same bytes", second.memory);
    check(second.listing == first.listing, "a saved savmem.dat reloads to the same memory.txt", second.listing);
    return 0;
}
