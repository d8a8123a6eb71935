#pragma once

// The one writer of vocrig.cfg for tests, benches and fuzz targets. Both
// programs read each value from a fixed line and character, so the lines are
// written in their fixed order with every value where it is read: the
// translator's port, speed and model, the panel's power, SWR alert, tuner,
// band plan and power switch, the optional lock line, the pass-through port,
// the translator's debug level and the panel's diagnostic level.
#include <algorithm>
#include <fstream>
#include <string>

namespace vocrig::test {

struct TestConfig {
    std::string model = "7300";
    std::string passThrough = "0";  // "0" is none; "12" gives COM12
    int debug = 0;                  // the translator's level, 0..2
    bool lockLine = false;
    char lock = '0';
    int powerSwitch = 0;
    int power = 100;  // 0..100
    int swr = 0;
    int tuner = 0;
    std::string bandPlan = "7";
    int diag = 0;  // the panel's level
    std::string com = "5";
    std::string speed = "19200";

    std::string text() const {
        std::string powerText = std::to_string(std::clamp(power, 0, 100));
        powerText.insert(0, 3 - powerText.size(), '0');  // three digits: the panel reads a 9-character line
        std::string s = "Com=" + com + "\r\nspeed=" + speed + "\r\nRadio=" + model + "\r\n";
        s += "Power=" + powerText + "\r\n";
        s += "Swr=" + std::to_string(swr) + "\r\nTun=" + std::to_string(tuner) + "\r\n";
        s += "BandPln=" + bandPlan + "\r\nPowrSw=" + std::to_string(powerSwitch) + "\r\n";
        if (lockLine) s += std::string("lock=") + lock + "\r\n";
        s += "VRPort=" + passThrough + "\r\nDebug=" + std::to_string(debug) + "\r\n";
        s += "PDiag=" + std::to_string(diag) + "\r\n";
        return s;
    }

    bool write(const std::string& path) const {
        std::ofstream out(path, std::ios::binary);
        out << text();
        return static_cast<bool>(out.flush());
    }
};

}  // namespace vocrig::test
