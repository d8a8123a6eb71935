// CI-V framing: the model table, number encodings, the port operations and
// the pass-through service for a second CI-V program.
#include <string_view>

#include "radio/models.h"
#include "translator.h"

namespace vocrig {

namespace {

constexpr char endOfFrame = '\xFD';

// CI-V mode byte -> the panel's "MD" digit; other modes leave the digit as it was.
struct ModeDigitRow {
    int modeByte;
    char digit;
};
constexpr ModeDigitRow modeDigitTable[] = {{0, '1'}, {1, '2'}, {2, '5'}, {3, '3'}, {5, '4'}};

int digitValue(char c) { return (c >= '0' && c <= '9') ? c - '0' : 0; }


// Decimal digits of a value for the fixed-width fields; a negative value counts as 0.
int digitOf(long value, long place) { return value < 0 ? 0 : static_cast<int>((value / place) % 10); }

}  // namespace

bool Translator::usableAddress(int address) {
    // Broadcast, our own address and the framing bytes are never a radio's.
    return address != 0x00 && address != 0xE0 && address != 0xFD && address != 0xFE;
}

int Translator::modelAddress(const std::string& modelText) {
    return radio::addressOf(modelText);  // "AUTO" and unknown models: 0, found by broadcast
}

std::string Translator::frequencyForm(const std::string& text) {
    // Digits d1..d11 of the text; the tens-of-gigahertz digit d1 is dropped.
    auto d = [&](size_t n) { return n <= text.size() ? digitValue(text[n - 1]) : 0; };
    return civBytes({16 * d(10) + d(11), 16 * d(8) + d(9), 16 * d(6) + d(7), 16 * d(4) + d(5), 16 * d(2) + d(3)});
}

std::string Translator::levelForm(long value) {
    return civBytes({digitOf(value, 100), 16 * digitOf(value, 10) + digitOf(value, 1)});
}

long Translator::decimalValue(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    constexpr long cap = 1000000000;
    auto isDigit = [&](size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
    long value = 0;
    bool any = false;
    for (; isDigit(i); ++i) {
        if (value <= cap) value = value * 10 + (text[i] - '0');
        any = true;
    }
    if (i < text.size() && text[i] == '.') {
        // Rounded on the decimal digits themselves, so a long fraction cannot tip
        // a value over or under the half: halves go to the even neighbour.
        ++i;
        int first = -1;   // first fraction digit
        bool rest = false;  // a non-zero digit after it
        for (; isDigit(i); ++i) {
            if (first < 0)
                first = text[i] - '0';
            else if (text[i] != '0')
                rest = true;
            any = true;
        }
        if (first > 5 || (first == 5 && (rest || value % 2 == 1))) ++value;
    }
    if (!any) return 0;
    if (value > cap) value = cap;
    return negative ? -value : value;
}

std::string Translator::threeDigits(long value) {
    return std::string{static_cast<char>('0' + digitOf(value, 100)), static_cast<char>('0' + digitOf(value, 10)),
                       static_cast<char>('0' + digitOf(value, 1))};
}

std::string Translator::twoDigits(long value) {
    return std::string{static_cast<char>('0' + digitOf(value, 10)), static_cast<char>('0' + digitOf(value, 1))};
}

char Translator::programAt(size_t position) const {
    return (position >= 1 && position <= st.programBuffer.size()) ? st.programBuffer[position - 1] : '\0';
}

std::string Translator::programSlice(size_t position, size_t count) const {
    if (position < 1 || position > st.programBuffer.size()) return {};
    return st.programBuffer.substr(position - 1, count);
}

unsigned char Translator::frameByte(size_t n) const {
    return (n >= 1 && n <= st.matchedCommand.size()) ? static_cast<unsigned char>(st.matchedCommand[n - 1]) : 0;
}

unsigned char Translator::radioAt(size_t position) const {
    return (position >= 1 && position <= st.radioBuffer.size()) ? static_cast<unsigned char>(st.radioBuffer[position - 1])
                                                                 : 0;
}

void Translator::send(const std::string& body) {
    // FD inside a frame would end it early and FE would start another: the
    // radio would act on a different command. Such a command is not sent.
    if (body.find_first_of("\xFD\xFE") != std::string::npos) {
        if (st.debugLevel > 0) logHex("NOT SENT= ", body);
        return;
    }
    st.radioFrame = st.frameHeader + body;
    sendToRadio();
}

void Translator::reply(const std::string& text) {
    st.panelReply = text;
    sendToProgram();
}

void Translator::sendToRadio() {
    st.radioFrame += endOfFrame;
    radio.write(st.radioFrame);
    if (radio.isOpen() && st.unansweredSince < 0) st.unansweredSince = clock.monotonicMicros();
    if (st.debugLevel > 0) logHex("TORADIO= ", st.radioFrame);
    st.radioFrame.clear();
}

void Translator::sendToProgram() {
    // Nothing reaches the panel before the radio has spoken, nor while it is
    // gone: the panel's silence rule then tells the operator.
    if (st.radioHeard == 0 || st.radioLost) return;
    st.panelReply += ';';
    panel.write(st.panelReply);
    if (st.debugLevel > 0) logText("ToProg= ", st.panelReply);
}

void Translator::bound(std::string& buffer, char terminator) {
    // Bytes that never end in a terminator must not grow without limit: keep the newest.
    if (buffer.size() > bufferLimit && buffer.find(terminator) == std::string::npos)
        buffer.erase(0, buffer.size() - bufferLimit);
}

void Translator::readRadio() {
    st.radioChunk.clear();
    int waiting = radio.bytesWaiting();
    if (waiting <= 0) return;
    st.radioChunk = radio.read(waiting);
    st.radioBuffer += st.radioChunk;
    bound(st.radioBuffer, endOfFrame);
    if (!st.radioBuffer.empty() && st.radioBuffer[0] == '\xFE') st.radioHeard = 1;
}

void Translator::readProgram() {
    st.programChunk.clear();
    int waiting = panel.bytesWaiting();
    if (waiting <= 0) return;
    st.programChunk = panel.read(waiting);
    int64_t now = clock.monotonicMicros();
    if (!st.programBuffer.empty() && now - st.programSince > staleCommandMicros) {
        // The start of a command whose end never came (its panel closed): it
        // must not become the front of the next panel's command.
        if (st.debugLevel > 0) logText("Dropped= ", st.programBuffer);
        st.programBuffer.clear();
    }
    if (st.programBuffer.empty()) st.programSince = now;
    st.programBuffer += st.programChunk;
    bound(st.programBuffer, ';');
}

void Translator::takeRadioFrame(size_t prefixAt) {
    size_t source = prefixAt + 3;
    bool hasCommand = source + 2 < st.frameEnd;  // source, command byte, FD
    if (hasCommand) radioBack();
    int sender = hasCommand ? static_cast<unsigned char>(st.radioBuffer[source]) : 0;
    if (st.radioAddress == 0) {
        // The first frame addressed to us names the radio in its source byte.
        if (hasCommand && usableAddress(sender)) {
            st.radioAddress = sender;
            st.frameHeader = civBytes({0xFE, 0xFE, st.radioAddress, 0xE0});
            if (st.debugLevel > 0) {
                std::string number = printedNumber(st.radioAddress);
                if (st.debugLevel == 2) {
                    consoleWrite("--- Found in Address Field ---");
                    consoleZone();
                    consoleWrite(number + "\n");
                }
                logWrite("--- Found in Address Field --- ");
                logZone();
                logWrite(number + "\r\n");
            }
        }
    }
    st.matchedCommand = prefixAt + 4 < st.radioBuffer.size() ? st.radioBuffer.substr(prefixAt + 4) : std::string();
    classifyRadioFrame();
}

bool Translator::servicePassThrough() {
    bool readAny = false;
    for (;;) {
        st.passThroughChunk.clear();
        int waiting = passThrough.bytesWaiting();
        if (waiting <= 0) return readAny;
        st.passThroughChunk = passThrough.read(waiting);
        if (st.passThroughChunk.empty()) return readAny;
        readAny = true;
        st.passThroughBuffer += st.passThroughChunk;
        bound(st.passThroughBuffer, endOfFrame);
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
    size_t start = bytes.find("\xFE\xFE");
    if (start == std::string::npos) return;
    std::string frame = bytes.substr(start);
    if (st.debugLevel > 0) logHex("***fromVR1= ", frame);
    st.radioFrame = frame.substr(0, frame.size() - 1);
    sendToRadio();

    auto at = [&](size_t position) {
        return position <= frame.size() ? static_cast<unsigned char>(frame[position - 1]) : 0;
    };
    if (at(5) == 0x06) {
        // The other program set the mode: tell the panel, in its own mode digits.
        int m = at(6);
        logLine("---" + printedNumber(m));
        for (const ModeDigitRow& row : modeDigitTable)
            if (row.modeByte == m) st.modeDigit.assign(1, row.digit);
        reply("Z5" + st.modeDigit);
    }

    // Hand the radio's answer back to the other program. It also stays in
    // radioBuffer, so the main loop takes it up as well.
    for (int tries = 0; tries < 5; ++tries) {
        clock.sleepMs(10);
        readRadio();
        if (st.radioChunk.find(endOfFrame) != std::string::npos) {
            passThrough.write(st.radioChunk);
            if (st.debugLevel > 0) logHex("***toVR1= ", st.radioChunk);
            break;
        }
    }
}

void Translator::closeChannels() {
    radio.close();
    panel.close();
    if (logFile) logFile->close();
    logFile.reset();
    passThrough.close();
}

}  // namespace vocrig
