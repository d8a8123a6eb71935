// vocrig.cfg as both programs read it: any bytes in the file. The panel then
// opens its link and the translator starts up; what they send must be sound.
#include "panel_rig.h"
#include "translator_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vocrig::fuzz;
    std::string text(reinterpret_cast<const char*>(data), size);

    PanelRig p;
    p.files.files["vocrig.cfg"] = text;
    if (p.panel.readConfiguration()) {
        check(p.state.config.lockState == "0" || p.state.config.lockState == "1", "the lock state is 0 or 1",
              p.state.config.lockState);
        p.panel.openLink();
        p.checkCommands();
    }

    TranslatorRig t;
    t.files.files["vocrig.cfg"] = text;
    t.t.startUp();
    check(vocrig::translator::Translator::usableAddress(t.st.radioAddress) || t.st.radioAddress == 0,
          "the configured address is a radio's");
    t.checkOutput(true);
    return 0;
}
