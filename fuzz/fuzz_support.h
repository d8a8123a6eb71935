#pragma once

// What every fuzz target shares: reading the fuzzer's bytes as a script, a
// serial end that keeps each write apart, and the checks on what the programs
// send. A failed check prints why and aborts, so libFuzzer keeps the input and
// the corpus replay test fails on it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fake_serial.h"

namespace vocrig::fuzz {

// The input a replay runs, named in failure messages.
inline const char*& currentInput() {
    static const char* name = "(fuzzer input)";
    return name;
}

[[noreturn]] inline void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz check failed: %s\n  input: %s\n  bytes:", what, currentInput());
    for (unsigned char c : detail) std::fprintf(stderr, " %02X", c);
    std::fprintf(stderr, "\n");
    std::abort();
}

inline void check(bool holds, const char* what, const std::string& detail = {}) {
    if (!holds) fail(what, detail);
}

// The fuzzer's bytes read front to back; past the end every read gives 0.
class Script {
public:
    Script(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool done() const { return at >= size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    std::string bytes(size_t count) {
        size_t n = count < size - at ? count : size - at;
        std::string out(reinterpret_cast<const char*>(data + at), n);
        at += n;
        return out;
    }
    std::string rest() { return bytes(size - at); }
    // A read's worth of bytes: a length byte and that many bytes, or 255 and
    // then a count (in 64s) and a byte repeated, so that a short input can
    // flood a buffer past its bound.
    std::string chunk() {
        uint8_t n = byte();
        if (n != 255) return bytes(n);
        size_t count = 64 * static_cast<size_t>(byte());
        return std::string(count, static_cast<char>(byte()));
    }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

// A fake serial end that also keeps every write as it was made: one write is
// one reply, one frame or one command.
class RecordingEnd : public platform::fake::FakeSerialEnd {
public:
    void write(const std::string& bytes) override {
        if (opened && !hungUp) writes.push_back(bytes);
        FakeSerialEnd::write(bytes);
    }
    std::vector<std::string> writes;
};

// The translator's replies: the dialect's letters and digits and one ";" at
// the end; "Z1" carries the radio's address as a raw byte.
inline void checkPanelReplies(const std::vector<std::string>& replies) {
    for (const std::string& r : replies) {
        check(r.size() >= 2 && r.back() == ';', "a reply ends in one ';'", r);
        size_t from = r.compare(0, 2, "Z1") == 0 && r.size() == 4 ? 3 : 0;
        if (from == 0) check(r.size() > 1, "a reply is more than its ';'", r);
        for (size_t i = from; i + 1 < r.size(); ++i) {
            char c = r[i];
            check((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'), "a reply holds only dialect bytes", r);
        }
    }
}

// Frames to the radio: a run of FE (at least two), then the frame, then one FD.
// `strict`: nothing inside the frame is FE or FD (the translator's own frames;
// the pass-through forwards the second program's frame as it came).
inline void checkRadioFrames(const std::vector<std::string>& frames, bool strict) {
    for (const std::string& f : frames) {
        check(f.size() >= 3 && f[0] == '\xFE' && f[1] == '\xFE', "a frame starts FE FE", f);
        check(f.back() == '\xFD' && f.find('\xFD') == f.size() - 1, "a frame ends in its only FD", f);
        if (!strict) continue;
        size_t body = f.find_first_not_of('\xFE');
        check(body != std::string::npos && f.find('\xFE', body) == std::string::npos, "no FE inside a frame", f);
    }
}

// The panel's commands: printable text, then one ";" at the end. A setting
// carries its value in the digits the dialect gives it and within its range;
// a query carries nothing.
inline void checkPanelCommands(const std::vector<std::string>& commands) {
    static const struct {
        std::string code;
        size_t digits;
        long long low, high;
    } settings[] = {
        {"FA", 11, 0, 99'999'999'999}, {"FB", 11, 0, 99'999'999'999}, {"PC", 3, 0, 100}, {"AG0", 3, 0, 255},
        {"RG", 3, 0, 255}, {"MG", 3, 0, 255}, {"SQ0", 3, 0, 255}, {"ML", 3, 0, 255}, {"SH", 2, 0, 12},
        {"FW", 4, 50, 1500}, {"KS", 3, 6, 48}, {"NL", 3, 1, 10}, {"RL", 2, 1, 10},
    };
    for (const std::string& c : commands) {
        check(c.size() >= 2 && c.back() == ';' && c.find(';') == c.size() - 1, "a command ends in its only ';'", c);
        for (char b : c) check(b >= ' ' && b <= '~', "a command is printable text", c);
        for (const auto& s : settings) {
            if (c.compare(0, s.code.size(), s.code) != 0) continue;
            const std::string value = c.substr(s.code.size(), c.size() - s.code.size() - 1);
            if (value.empty()) break;
            check(value.size() == s.digits && value.find_first_not_of("0123456789") == std::string::npos,
                  "a setting carries its digits", c);
            const long long v = std::stoll(value);
            check(v >= s.low && v <= s.high, "a setting stays in its range", c);
            break;
        }
    }
}

}  // namespace vocrig::fuzz
