// Console display and the traffic log "debug.dat".

#include "translator.h"

namespace vocrig::translator {

namespace {

constexpr size_t zoneWidth = 14;

void advanceColumn(size_t& column, const std::string& text) {
    size_t lastBreak = text.find_last_of('\n');
    if (lastBreak == std::string::npos)
        column += text.size();
    else
        column = text.size() - lastBreak - 1;
}

}  // namespace

std::string Translator::printedNumber(long value) {
    // A sign position, the digits, and one blank after them.
    std::string digits = std::to_string(value);
    if (value < 0) return digits + " ";
    return " " + digits + " ";
}

std::string Translator::hexGroups(const std::string& bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out(bytes.size() * 3, ' ');
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        out[3 * i] = digits[b >> 4];
        out[3 * i + 1] = digits[b & 0x0F];
    }
    return out;
}

void Translator::consoleWrite(const std::string& text) {
    console.print(text);
    advanceColumn(st.consoleColumn, text);
}

void Translator::consoleZone() { consoleWrite(std::string(zoneWidth - st.consoleColumn % zoneWidth, ' ')); }

void Translator::logWrite(const std::string& text) {
    if (!logFile) return;
    logFile->write(text);
    advanceColumn(st.logColumn, text);
    st.logBytes += text.size();
    if (st.logBytes >= logLimit && st.logColumn == 0) {
        // At 50 polls a second the log grows by about 30 MB an hour: keep the
        // latest stretch, in two files, never more.
        logFile->close();
        files.rename("debug.dat", "debug.old");
        logFile = files.create("debug.dat");
        st.logBytes = 0;
    }
}

void Translator::logZone() {
    if (logFile) logWrite(std::string(zoneWidth - st.logColumn % zoneWidth, ' '));
}

void Translator::logLine(const std::string& text) { logWrite(text + "\r\n"); }

void Translator::logHex(const std::string& label, const std::string& bytes) {
    if (st.debugLevel <= 0) return;
    std::string groups = hexGroups(bytes);
    if (st.debugLevel == 2) consoleWrite(label + groups + "\n");
    logWrite(label + groups + " \r\n");
}

void Translator::logText(const std::string& label, const std::string& text) {
    if (st.debugLevel <= 0) return;
    if (st.debugLevel == 2) consoleWrite(label + text + "\n");
    logWrite(label + text + "\r\n");
}

}  // namespace vocrig::translator
