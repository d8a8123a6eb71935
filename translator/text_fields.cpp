// The fixed-width fields of the text dialect and the CI-V number forms, and
// reading positions of the panel's command and the radio's frame.
#include "translator.h"

namespace vocrig::translator {

namespace {

int digitValue(char c) { return (c >= '0' && c <= '9') ? c - '0' : 0; }

// Decimal digits of a value for the fixed-width fields; a negative value counts as 0.
int digitOf(long value, long place) { return value < 0 ? 0 : static_cast<int>((value / place) % 10); }

}  // namespace

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
        int first = -1;     // first fraction digit
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
    return (position >= 1 && position <= st.radioBuffer.size())
               ? static_cast<unsigned char>(st.radioBuffer[position - 1])
               : 0;
}

}  // namespace vocrig::translator
