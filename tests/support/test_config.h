#pragma once

// The one writer of vocrig.cfg for tests, benches and fuzz targets: each line
// of the layout (radio/config_layout.h) in file order, its label and then its
// value, so every value stands where both programs read it.
#include <algorithm>
#include <fstream>
#include <map>
#include <string>

#include "radio/config_layout.h"

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
    // Whole lines written as given instead (a line as an operator may have
    // typed it); the lock line is written when given here too.
    std::map<config::Value, std::string> lines = {};

    std::string value(config::Value v) const {
        using config::Value;
        switch (v) {
            case Value::radioPort: return com;
            case Value::speed: return speed;
            case Value::model: return model;
            case Value::power: {
                std::string digits = std::to_string(std::clamp(power, 0, 100));
                return std::string(3 - digits.size(), '0') + digits;  // the panel reads a 9-character line
            }
            case Value::swrAlert: return std::to_string(swr);
            case Value::tuner: return std::to_string(tuner);
            case Value::bandPlan: return bandPlan;
            case Value::powerSwitch: return std::to_string(powerSwitch);
            case Value::lock: return std::string(1, lock);
            case Value::passThrough: return passThrough;
            case Value::debugLevel: return std::to_string(debug);
            case Value::panelDiag: return std::to_string(diag);
        }
        return {};
    }

    std::string text() const {
        std::string s;
        for (const config::Line& line : config::layout) {
            auto given = lines.find(line.value);
            if (given != lines.end())
                s += given->second + "\r\n";
            else if (line.value != config::Value::lock || lockLine)
                s += std::string(line.label) + value(line.value) + "\r\n";
        }
        return s;
    }

    bool write(const std::string& path) const {
        std::ofstream out(path, std::ios::binary);
        out << text();
        return static_cast<bool>(out.flush());
    }
};

}  // namespace vocrig::test
