#include "sim_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vocrig::radiosim {

namespace {

constexpr std::array baudRates{300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr const char* defaultPublishPath = "ports/com5";
constexpr std::array<std::string_view, 14> valueOptions{
    "--publish", "--port",    "--model",   "--baud",         "--delay",        "--drop",    "--corrupt",
    "--truncate", "--garbage", "--unplug-after", "--replug-after", "--seed", "--tune-ms", "--boot-ms"};

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

bool parseWhole(const std::string& text, long long low, long long high, long long& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

// A fraction 0..1, or a percentage "5%".
bool parseRate(std::string text, double& rate) {
    bool percent = !text.empty() && text.back() == '%';
    if (percent) text.pop_back();
    double v = 0;
    if (!parseNumber(text, v)) return false;
    if (percent) v /= 100;
    if (v < 0 || v > 1) return false;
    rate = v;
    return true;
}

}  // namespace

std::string parseOptions(const std::vector<std::string>& args, ProgramOptions& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        auto needValue = [&]() -> bool {
            if (hasValue) return true;
            if (i + 1 >= args.size()) return false;
            value = args[++i];
            return true;
        };
        auto flag = [&](bool& target, bool setting) -> std::string {
            if (hasValue) return name + " takes no value";
            target = setting;
            return "";
        };
        std::string error;
        long long whole = 0;
        double number = 0;
        if (name == "-h" || name == "--help") {
            error = flag(out.help, true);
        } else if (name == "-v" || name == "--verbose") {
            error = flag(out.sim.verbose, true);
        } else if (name == "--echo") {
            error = flag(out.sim.echo, true);
        } else if (name == "--no-echo") {
            error = flag(out.sim.echo, false);
        } else if (name == "--pace") {
            error = flag(out.sim.pace, true);
        } else if (name == "--transceive") {
            error = flag(out.sim.transceive, true);
        } else if (std::find(valueOptions.begin(), valueOptions.end(), name) == valueOptions.end()) {
            error = name.rfind("-", 0) == 0 ? "unknown option " + name : "unexpected argument " + name;
        } else if (!needValue()) {
            error = name + " needs a value";
        } else if (name == "--publish") {
            out.publishPath = value;
            if (value.empty()) error = "--publish needs a path";
        } else if (name == "--port") {
            out.portName = value;
            if (value.empty()) error = "--port needs a port name or path";
        } else if (name == "--model") {
            out.sim.model = value;
            if (findModel(value) == nullptr) error = "unknown model " + value + " (see --help for the list)";
        } else if (name == "--baud") {
            if (!parseWhole(value, 1, 10'000'000, whole) ||
                std::find(baudRates.begin(), baudRates.end(), whole) == baudRates.end())
                error = "--baud must be one of 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200";
            else
                out.sim.baud = static_cast<int>(whole);
        } else if (name == "--delay" || name == "--tune-ms" || name == "--boot-ms") {
            if (!parseWhole(value, 0, 600'000, whole)) {
                error = name + " needs milliseconds from 0 to 600000";
            } else {
                int ms = static_cast<int>(whole);
                (name == "--delay" ? out.sim.answerDelayMs : name == "--tune-ms" ? out.sim.tuneMs : out.sim.bootMs) = ms;
            }
        } else if (name == "--drop" || name == "--corrupt" || name == "--truncate" || name == "--garbage") {
            double& rate = name == "--drop"      ? out.sim.dropRate
                           : name == "--corrupt" ? out.sim.corruptRate
                           : name == "--truncate" ? out.sim.truncateRate
                                                  : out.sim.garbageRate;
            if (!parseRate(value, rate)) error = name + " needs a fraction from 0 to 1 (or a percentage like 5%)";
        } else if (name == "--unplug-after" || name == "--replug-after") {
            if (!parseNumber(value, number) || number <= 0 || number > 1e6)
                error = name + " needs a number of seconds above 0";
            else
                (name == "--unplug-after" ? out.sim.unplugAfterSeconds : out.replugAfterSeconds) = number;
        } else if (name == "--seed") {
            if (!parseWhole(value, 0, 0x7FFFFFFFFFFFFFFFll, whole))
                error = "--seed needs a whole number";
            else
                out.sim.seed = static_cast<uint64_t>(whole);
        }
        if (!error.empty()) return error;
    }
    if (!out.publishPath.empty() && !out.portName.empty()) return "give either --publish or --port, not both";
    if (out.publishPath.empty() && out.portName.empty()) out.publishPath = defaultPublishPath;
    if (out.replugAfterSeconds > 0 && out.sim.unplugAfterSeconds <= 0) return "--replug-after needs --unplug-after";
    return "";
}

std::string helpText() {
    std::string models;
    for (const SimModel& m : modelTable()) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%s (%02Xh)", m.name, m.address);
        models += (models.empty() ? "" : ", ") + std::string(entry);
    }
    // Wrap the model list for an 80-column terminal.
    std::string wrapped = "    ";
    size_t column = 4;
    for (size_t start = 0; start < models.size();) {
        size_t end = models.find(", ", start);
        std::string word = models.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
        if (column + word.size() > 78) {
            wrapped += "\n    ";
            column = 4;
        }
        wrapped += word;
        column += word.size();
        start = end == std::string::npos ? models.size() : end + 2;
    }
    return "Usage: vocsim [options]\n"
           "A simulated ICOM transceiver that answers CI-V frames on a serial port.\n"
           "\n"
           "Where it listens (default: --publish ports/com5):\n"
           "  --publish PATH       create a pseudo-terminal and publish its far end as PATH\n"
           "                       (a program then opens PATH, or COMn for ports/comn)\n"
           "  --port NAME|PATH     use an existing port: COM5 (ports/com5 or /dev/ttyS4) or a path\n"
           "\n"
           "The radio:\n"
           "  --model NAME         model to answer as (default 7300); its CI-V address follows\n"
           "  --baud N             line speed (default 19200); sets the wake-up preamble and pacing\n"
           "  --echo / --no-echo   send every received frame back first (default: no echo)\n"
           "  --delay MS           answer after MS milliseconds (default 0)\n"
           "  --pace               deliver answer bytes no faster than the baud rate allows\n"
           "  --transceive         announce frequency and mode changes to address 00\n"
           "  --tune-ms MS         length of an antenna tune (default 3000)\n"
           "  --boot-ms MS         time from the wake-up command to a working radio (default 1000)\n"
           "\n"
           "Faults (each a fraction 0..1 of the frames the radio sends, or a percentage like 5%):\n"
           "  --drop F             leave answers out\n"
           "  --corrupt F          change one byte of an answer\n"
           "  --truncate F         cut an answer short\n"
           "  --garbage F          send noise bytes before an answer\n"
           "  --unplug-after S     hang up the port after S seconds (then exit)\n"
           "  --replug-after S     with --unplug-after: open the port again S seconds later\n"
           "  --seed N             seed for every random choice (default 1)\n"
           "\n"
           "  -v, --verbose        log every read and every frame sent, not only settings\n"
           "  -h, --help           this text\n"
           "\n"
           "Models:\n" +
           wrapped +
           "\n\n"
           "Example: vocsim --publish ports/com5 --model 7300 --echo\n"
           "Stop it with Ctrl-C; the published link is removed.\n";
}

}  // namespace vocrig::radiosim
