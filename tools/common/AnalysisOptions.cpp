#include "AnalysisOptions.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const AnalysisOptionsUsage =
    "  --mode guitar|chromatic   what to tune (default guitar)\n"
    "  --string 0..5             guitar: tune this string (default: the nearest string)\n"
    "  --note -48..39            chromatic: the target note in semitones from A4 (default 0)\n"
    "  --root 438..445           pitch of A4 in Hz (default 440)\n"
    "  --calibration 0.5..2.0    factor applied to every measured frequency (default 1.0)\n"
    "  --tuning a,b,c,d,e,f      the six strings in semitones from A4 (default -29,-24,-19,-14,-10,-5)\n"
    "  --precise                 the fundamental from the whole harmonic series, measured precisely;\n"
    "                            a block without a clear fundamental prints no line\n"
    "  --auto-note               chromatic: the target follows the note nearest the tone\n"
    "  --hop 1024|4096           samples from one result to the next (default 4096); with 1024 every\n"
    "                            result analyses the latest 4096 samples\n";

const char* const CaptureOptionsUsage =
    "  --device N                the wave-input device to record from (default 0)\n"
    "  --seconds S               how long to listen (default 5)\n";

namespace {

constexpr int LowestNote = -48;
constexpr double LongestCapture = 24 * 60 * 60;
constexpr int HighestNote = 39;

// A whole decimal number that takes the entire text.
bool ParseInt(const char* text, int& value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || parsed < -2147483647L - 1 || parsed > 2147483647L) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseDouble(const char* text, double& value) {
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !(parsed == parsed)) return false;
    value = parsed;
    return true;
}

bool ParseTuning(const std::string& text, int (&tuning)[6]) {
    int offsets[6];
    std::size_t start = 0;
    for (int i = 0; i < 6; ++i) {
        const std::size_t comma = text.find(',', start);
        if ((i < 5) != (comma != std::string::npos)) return false;
        std::string token = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        token.erase(0, token.find_first_not_of(' '));
        token.erase(token.find_last_not_of(' ') + 1);
        if (!ParseInt(token.c_str(), offsets[i]) || offsets[i] < LowestNote || offsets[i] > HighestNote) return false;
        start = comma + 1;
    }
    std::memcpy(tuning, offsets, sizeof offsets);
    return true;
}

bool IsOption(const std::string& name, AnalysisSource source) {
    for (const char* known : {"--mode", "--string", "--note", "--root", "--calibration", "--tuning", "--hop"})
        if (name == known) return true;
    return source == AnalysisSource::Capture && (name == "--device" || name == "--seconds");
}

bool ApplyOption(const std::string& name, const std::string& value, AnalysisOptions& options, std::string& error) {
    const char* text = value.c_str();
    int number = 0;
    if (name == "--mode") {
        if (value != "guitar" && value != "chromatic") {
            error = "--mode must be guitar or chromatic, not \"" + value + "\"";
            return false;
        }
        options.chromatic = value == "chromatic";
    } else if (name == "--string") {
        if (!ParseInt(text, number) || number < 0 || number > 5) {
            error = "--string must be a whole number from 0 to 5, not \"" + value + "\"";
            return false;
        }
        options.string = number;
    } else if (name == "--note") {
        if (!ParseInt(text, number) || number < LowestNote || number > HighestNote) {
            error = "--note must be a whole number from -48 to 39, not \"" + value + "\"";
            return false;
        }
        options.note = number;
    } else if (name == "--root") {
        if (!ParseInt(text, number) || number < 438 || number > 445) {
            error = "--root must be a whole number of Hz from 438 to 445, not \"" + value + "\"";
            return false;
        }
        options.root = number;
    } else if (name == "--calibration") {
        double factor = 0;
        if (!ParseDouble(text, factor) || factor < 0.5 || factor > 2.0) {
            error = "--calibration must be a number from 0.5 to 2.0, not \"" + value + "\"";
            return false;
        }
        options.calibration = factor;
    } else if (name == "--hop") {
        if (!ParseInt(text, number) || (number != 1024 && number != 4096)) {
            error = "--hop must be 1024 or 4096, not \"" + value + "\"";
            return false;
        }
        options.hop = number;
    } else if (name == "--device") {
        if (!ParseInt(text, number) || number < 0) {
            error = "--device must be a device number from 0 on, not \"" + value + "\"";
            return false;
        }
        options.device = number;
    } else if (name == "--seconds") {
        double seconds = 0;
        if (!ParseDouble(text, seconds) || !(seconds > 0) || seconds > LongestCapture) {
            error = "--seconds must be a number of seconds above 0 and at most 86400, not \"" + value + "\"";
            return false;
        }
        options.seconds = seconds;
    } else {
        if (!ParseTuning(value, options.tuning)) {
            error = "--tuning must be six whole numbers from -48 to 39 separated by commas, not \"" + value + "\"";
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseAnalysisOptions(int argc, const char* const* argv, AnalysisOptions& options, std::string& error,
                          AnalysisSource source) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.compare(0, 2, "--") != 0) {
            options.arguments.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name == "--precise" || name == "--auto-note") {
            if (equals != std::string::npos) {
                error = name + " takes no value";
                return false;
            }
            (name == "--precise" ? options.precise : options.autoNote) = true;
            continue;
        }
        if (!IsOption(name, source)) {
            error = "unknown option " + name;
            return false;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            error = "option " + name + " needs a value";
            return false;
        }
        if (!ApplyOption(name, value, options, error)) return false;
    }
    return true;
}
