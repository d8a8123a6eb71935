#pragma once

// What both programs agree on about the link between them: the translator's
// panel port, the panel's end of it, the line speed, the version they
// announce, and how the panel tells the translator why it ended. One place, so the two sides cannot drift apart.
namespace vocrig::link {

inline constexpr int translatorPort = 20;  // COM20: the translator's end
inline constexpr int panelPort = 21;       // COM21: the panel's end (published by the translator)
inline constexpr int baud = 38400;
inline constexpr const char* version = "3.4b";

// The panel's exit status, read by the translator that started it: a panel
// without vocrig.cfg is not started again.
enum PanelExit { panelEndedNormally = 0, panelNoConfiguration = 1, panelNoWindow = 2, panelNoLink = 3 };

}  // namespace vocrig::link
