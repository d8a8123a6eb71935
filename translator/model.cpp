// Which radio: its address from the configured model name.
#include "radio/models.h"
#include "translator.h"

namespace vocrig::translator {

bool Translator::usableAddress(int address) {
    // Broadcast, our own address and the framing bytes are never a radio's.
    return address != civ::broadcast && address != civ::controller && address != civ::endOfFrame &&
           address != civ::preamble;
}

int Translator::modelAddress(const std::string& modelText) {
    return radio::addressOf(modelText);  // "AUTO" and unknown models: 0, found by broadcast
}

}  // namespace vocrig::translator
