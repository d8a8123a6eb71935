#pragma once

// What both programs agree on about the link between them: the translator's
// panel port, the panel's end of it, the line speed, and the version they
// announce. One place, so the two sides cannot drift apart.
namespace vocrig::link {

inline constexpr int translatorPort = 20;  // COM20: the translator's end
inline constexpr int panelPort = 21;       // COM21: the panel's end (published by the translator)
inline constexpr int baud = 38400;
inline constexpr const char* version = "3.4b";

}  // namespace vocrig::link
