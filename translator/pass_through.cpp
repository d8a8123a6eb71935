// The pass-through service for a second CI-V program sharing the radio.
#include "translator.h"

namespace vocrig::translator {

namespace {

const std::string framePreamble(2, static_cast<char>(civ::preamble));  // FE FE: a frame starts

bool answersPassThroughFrame(const std::string& request, const std::string& answer) {
    // FE FE to from command ... FD: the answer goes back to the asker, comes
    // from the radio it asked (any radio, when it asked by broadcast) and
    // carries the command asked, or the radio's OK (FB) or NG (FA).
    if (request.size() < 6 || answer.size() < 6) return false;
    auto byteAt = [](const std::string& s, size_t i) { return static_cast<unsigned char>(s[i]); };
    if (byteAt(answer, 2) != byteAt(request, 3)) return false;
    if (byteAt(request, 2) != civ::broadcast && byteAt(answer, 3) != byteAt(request, 2)) return false;
    unsigned char command = byteAt(answer, 4);
    return command == byteAt(request, 4) || command == civ::ok || command == civ::ng;
}

}  // namespace

bool Translator::servicePassThrough() {
    bool readAny = false;
    for (;;) {
        st.passThroughChunk.clear();
        int waiting = passThrough.bytesWaiting();
        if (waiting <= 0) return readAny;
        st.passThroughChunk = passThrough.read(waiting);
        if (st.passThroughChunk.empty()) return readAny;
        readAny = true;
        append(st.passThroughBuffer, st.passThroughChunk);
        // Every whole frame, in order; a frame still without its FD waits.
        for (size_t fd = st.passThroughBuffer.find(endOfFrame); fd != std::string::npos;
             fd = st.passThroughBuffer.find(endOfFrame)) {
            std::string frame = st.passThroughBuffer.substr(0, fd + 1);
            st.passThroughBuffer.erase(0, fd + 1);
            forwardPassThroughFrame(frame);
        }
    }
}

void Translator::forwardPassThroughFrame(const std::string& bytes) {
    // A piece without the FE FE of a frame start (the tail of a frame cut off
    // by the buffer bound, or noise) would be taken by the radio as part of
    // some other command: it is never sent.
    size_t start = bytes.find(framePreamble);
    if (start == std::string::npos) return;
    std::string frame = bytes.substr(start);
    if (st.debugLevel > 0) logHex("***fromVR1= ", frame);
    st.radioFrame = frame.substr(0, frame.size() - 1);
    sendToRadio();

    auto at = [&](size_t position) {
        return position <= frame.size() ? static_cast<unsigned char>(frame[position - 1]) : 0;
    };
    if (at(5) == civ::setMode) {
        // The other program set the mode: tell the panel, in its own mode digits;
        // a mode it has no digit for leaves the digit as it was.
        int m = at(6);
        logLine("---" + printedNumber(m));
        for (const ModeRow& row : modeTable) {
            if (row.toldBack && row.modeByte == m) {
                st.readings.modeDigit.assign(1, row.digit);
                break;
            }
        }
        reply("Z5" + st.readings.modeDigit);
    }

    // Hand the radio's answer back to the other program: the echo of its own
    // frame and the frame that answers it, whole even when it comes in two
    // reads. An answer to the panel read in the same wait is not the other
    // program's and is not handed to it. Everything read also stays in
    // radioBuffer, so the main loop takes it up as well.
    std::string pending;
    bool answered = false;
    for (int tries = 0; tries < 5 && !answered; ++tries) {
        clock.sleepMs(10);
        readRadio();
        append(pending, st.radioChunk);
        std::string forward;
        for (size_t fd = pending.find(endOfFrame); fd != std::string::npos && !answered;
             fd = pending.find(endOfFrame)) {
            std::string answer = pending.substr(0, fd + 1);
            pending.erase(0, fd + 1);
            size_t from = answer.find(framePreamble);
            if (from == std::string::npos) continue;
            answer.erase(0, from);
            if (answer == frame) {
                forward += answer;
            } else if (answersPassThroughFrame(frame, answer)) {
                forward += answer;
                answered = true;
            }
        }
        if (!forward.empty()) {
            passThrough.write(forward);
            if (st.debugLevel > 0) logHex("***toVR1= ", forward);
        }
    }
}

}  // namespace vocrig::translator
