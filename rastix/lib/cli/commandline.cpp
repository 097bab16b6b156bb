#include "cli/commandline.h"

#include "output/outputnames.h"

#include <limits>
#include <map>
#include <unordered_map>

namespace rastix {

bool parseInteger(const std::string& text, bool allowNegative, int& value) {
    std::size_t i = 0;
    bool negative = false;
    if (allowNegative && i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    if (i == text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > std::numeric_limits<int>::max())
            return false;
    }
    value = static_cast<int>(negative ? -v : v);
    return true;
}

bool parseCutFrame(const std::string& text, CutFrame& frame) {
    const auto comma = text.find(',');
    const auto colon = text.find(':', comma == std::string::npos ? 0 : comma);
    const auto times = text.find('x', colon == std::string::npos ? 0 : colon);
    if (comma == std::string::npos || colon == std::string::npos || times == std::string::npos)
        return false;
    CutFrame f;
    if (!parseInteger(text.substr(0, comma), false, f.x) ||
        !parseInteger(text.substr(comma + 1, colon - comma - 1), false, f.y) ||
        !parseInteger(text.substr(colon + 1, times - colon - 1), false, f.width) ||
        !parseInteger(text.substr(times + 1), false, f.height))
        return false;
    if (f.width < 1 || f.height < 1)
        return false;
    frame = f;
    return true;
}

namespace {

using Flag = void (*)(Settings&);

const std::map<std::string, Flag>& flags() {
    static const std::map<std::string, Flag> table = {
        {"-rgb",
         [](Settings& s) {
             s.model = ColourModel::Rgb16;
         }},
        {"-cry",
         [](Settings& s) {
             s.model = ColourModel::Cry16;
         }},
        {"--assembly",
         [](Settings& s) {
             s.format = OutputFormat::Assembly;
         }},
        {"--ascii",
         [](Settings& s) {
             s.format = OutputFormat::Assembly;
         }},
        {"--binary",
         [](Settings& s) {
             s.format = OutputFormat::Binary;
         }},
        {"--no-ascii",
         [](Settings& s) {
             s.format = OutputFormat::Binary;
         }},
        {"--clut",
         [](Settings& s) {
             s.colourMap = true;
         }},
        {"--no-clut",
         [](Settings& s) {
             s.colourMap = false;
         }},
        {"--opt-clut",
         [](Settings& s) {
             s.optimiseMapDepth = true;
         }},
        {"--no-opt-clut",
         [](Settings& s) {
             s.optimiseMapDepth = false;
         }},
        {"--overwrite",
         [](Settings& s) {
             s.overwrite = true;
         }},
        {"--no-overwrite",
         [](Settings& s) {
             s.overwrite = false;
         }},
        {"--15-bits",
         [](Settings& s) {
             s.fifteenBits = true;
         }},
        {"--16-bits",
         [](Settings& s) {
             s.fifteenBits = false;
         }},
        {"--gray",
         [](Settings& s) {
             s.grayOnly = true;
         }},
        {"--no-gray",
         [](Settings& s) {
             s.grayOnly = false;
         }},
        {"--glass",
         [](Settings& s) {
             s.cryEncoding = CryEncoding::Glass;
         }},
        {"--normal",
         [](Settings& s) {
             s.cryEncoding = CryEncoding::Normal;
         }},
        {"--positive",
         [](Settings& s) {
             s.kept = KeptDeltas::Positive;
         }},
        {"--negative",
         [](Settings& s) {
             s.kept = KeptDeltas::Negative;
         }},
        {"--both",
         [](Settings& s) {
             s.kept = KeptDeltas::Both;
         }},
        {"--no-cut",
         [](Settings& s) {
             s.cut.reset();
         }},
    };
    return table;
}

// The options that take the next argument as their value.
constexpr const char* kValuedOptions[] = {"--target-dir", "--rotate", "--cut",
                                          "--syntax",     "--dither", "--colours"};

bool takesValue(const std::string& option) {
    for (const char* valued : kValuedOptions)
        if (option == valued)
            return true;
    return false;
}

} // namespace

std::vector<std::string> optionNames() {
    std::vector<std::string> names = {"--help", "--version"};
    for (const auto& [name, flag] : flags())
        names.push_back(name);
    names.insert(names.end(), std::begin(kValuedOptions), std::end(kValuedOptions));
    return names;
}

namespace {

// The first run of digits in text whose value does not fit an int; empty when there is none.
std::string tooLargeNumber(const std::string& text) {
    const auto isDigit = [](char c) {
        return c >= '0' && c <= '9';
    };
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        int ignored = 0;
        // A run of digits alone fails to parse only when it overflows.
        if (end > i && !parseInteger(text.substr(i, end - i), false, ignored))
            return text.substr(i, end - i);
        i = end == i ? i + 1 : end;
    }
    return {};
}

// Names the range the option takes: degrees turn either way, sizes are never negative.
std::string outOfRange(const std::string& option, const std::string& number, bool negativeToo) {
    const std::string most = std::to_string(std::numeric_limits<int>::max());
    return option + ": " + number + " is out of range (" +
           (negativeToo ? "-" + most + " to " + most : "at most " + most) + ")";
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args, const FolderCheck& checkFolder) {
    CommandLine result;
    Settings current;
    bool optionsEnded = false;
    // The first setting given since the last picture: an error if no picture follows it.
    std::string unusedOption;
    const auto fail = [&result](std::string message) {
        result.jobs.clear();
        result.error = std::move(message);
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (arg.empty())
                return fail("an empty picture name was given");
            result.jobs.push_back({arg, current});
            unusedOption.clear();
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help") {
            result.help = true;
            continue;
        }
        if (arg == "--version") {
            result.version = true;
            continue;
        }
        if (const auto it = flags().find(arg); it != flags().end()) {
            it->second(current);
            if (unusedOption.empty())
                unusedOption = arg;
            continue;
        }
        if (!takesValue(arg))
            return fail("unknown option '" + arg + "' (try --help)");
        if (i + 1 >= args.size())
            return fail("option " + arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--target-dir") {
            const std::string problem =
                value.empty() ? std::string("does not exist") : checkFolder(value);
            if (!problem.empty())
                return fail("target directory '" + value + "' " + problem);
            current.targetDir = value;
        } else if (arg == "--rotate") {
            int degrees = 0;
            if (!parseInteger(value, true, degrees)) {
                const std::string digits = value.substr(value.rfind('-') == 0 ? 1 : 0);
                if (!digits.empty() && tooLargeNumber(digits) == digits)
                    return fail(outOfRange(arg, value, true));
                return fail("--rotate needs a whole number of degrees, not '" + value + "'");
            }
            current.rotateDegrees = degrees;
        } else if (arg == "--dither") {
            if (value == "none")
                current.dither = Dither::None;
            else if (value == "ordered")
                current.dither = Dither::Ordered;
            else if (value == "diffusion")
                current.dither = Dither::Diffusion;
            else
                return fail("--dither needs none, ordered or diffusion, not '" + value + "'");
        } else if (arg == "--colours") {
            int colours = 0;
            if (!parseInteger(value, false, colours) || colours < 2 || colours > 256)
                return fail("--colours needs a whole number from 2 to 256, not '" + value + "'");
            current.mapColours = colours;
        } else if (arg == "--syntax") {
            if (value == "madmac")
                current.syntax = AsmSyntax::Madmac;
            else if (value == "gas")
                current.syntax = AsmSyntax::Gas;
            else
                return fail("--syntax needs madmac or gas, not '" + value + "'");
        } else {
            CutFrame frame;
            if (!parseCutFrame(value, frame)) {
                const std::string number = tooLargeNumber(value);
                if (!number.empty())
                    return fail(outOfRange(arg, number, false));
                return fail("--cut needs X,Y:WxH with X, Y >= 0 and W, H >= 1, not '" + value +
                            "'");
            }
            current.cut = frame;
        }
        if (unusedOption.empty())
            unusedOption = arg;
    }
    if (result.jobs.empty() && !result.help && !result.version)
        return fail("no picture given (try --help)");
    if (!result.jobs.empty() && !unusedOption.empty())
        return fail(unusedOption + " after the last picture applies to no picture");
    return result;
}

std::string findOutputClash(const std::vector<Job>& jobs, const PathKey& key) {
    std::unordered_map<std::string, std::size_t> pictures; // key -> job
    for (std::size_t i = 0; i < jobs.size(); ++i)
        pictures.emplace(key(jobs[i].picture), i);
    std::unordered_map<std::string, std::size_t> writers; // output key -> job
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        for (const std::string& output : outputPaths(jobs[i].settings, jobs[i].picture)) {
            const std::string k = key(output);
            if (const auto read = pictures.find(k); read != pictures.end())
                return jobs[i].picture + ": its output " + output + " would replace the picture " +
                       (read->second == i ? std::string("itself") : jobs[read->second].picture);
            const auto [it, fresh] = writers.emplace(k, i);
            if (!fresh) {
                const std::string& first = jobs[it->second].picture;
                return first == jobs[i].picture
                           ? jobs[i].picture + " is named twice: both would write " + output
                           : first + " and " + jobs[i].picture + " would both write " + output;
            }
        }
    }
    return {};
}

} // namespace rastix
