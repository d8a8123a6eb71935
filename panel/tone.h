#pragma once

// A repeater tone: none, a CTCSS frequency, or a DCS code (normal or
// reversed), checked once when it is made from a typed or stored text.

#include <optional>
#include <string>

namespace vocrig::panel {

class Tone {
public:
    enum class Kind { none, ctcss, dcs, dcsReversed };
    // How "no tone" is written in band rows, channel records and `toneText`.
    static constexpr const char* noneText = "999";

    Tone() = default;  // no tone
    // The tone a text names: noneText is no tone; a CTCSS frequency of 67 to
    // 254 Hz (tenths after a point; a point at the end is dropped); "N" or "R"
    // and a DCS code of 23 to 754, written back with three digits. Nothing for
    // any other text.
    static std::optional<Tone> parse(const std::string& text);
    // A stored tone (band row or channel) as the panel takes it up: a text the
    // check refuses, such as a tone stored half-typed, is no tone.
    static Tone stored(const std::string& text) { return parse(text).value_or(Tone()); }

    Kind kind() const { return type; }
    bool none() const { return type == Kind::none; }
    // As stored and sent: noneText, "88.5", "N023", "R754".
    const std::string& text() const { return written; }
    // The command that sets the tone; "CT1" then switches it on.
    std::string command() const { return "CN" + written; }
    // The word that names its kind: "dcs" or "ctcss".
    const char* word() const;

private:
    Tone(Kind type, std::string written) : type(type), written(std::move(written)) {}
    Kind type = Kind::none;
    std::string written = noneText;
};

// Whether a tone text (typed, stored or held) is the no-tone mark.
inline bool isNoTone(const std::string& text) { return text == Tone::noneText; }
// Whether a tone text, checked or not, is a DCS code: it starts with "N" or "R".
inline bool isDcsText(const std::string& text) { return !text.empty() && (text[0] == 'N' || text[0] == 'R'); }
// The word for a tone text's kind, checked or not: "dcs" or "ctcss".
const char* toneWord(const std::string& text);

}  // namespace vocrig::panel
