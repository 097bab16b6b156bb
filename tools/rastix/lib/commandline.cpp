#include "commandline.h"

#include <limits>
#include <map>

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

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args,
                             const DirectoryTest& isDirectory) {
    CommandLine result;
    Settings current;
    bool optionsEnded = false;
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
            continue;
        }
        const bool takesValue =
            arg == "--target-dir" || arg == "--rotate" || arg == "--cut" || arg == "--syntax";
        if (!takesValue)
            return fail("unknown option '" + arg + "' (try --help)");
        if (i + 1 >= args.size())
            return fail("option " + arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--target-dir") {
            if (value.empty() || !isDirectory(value))
                return fail("target directory '" + value + "' does not exist");
            current.targetDir = value;
        } else if (arg == "--rotate") {
            int degrees = 0;
            if (!parseInteger(value, true, degrees))
                return fail("--rotate needs a whole number of degrees, not '" + value + "'");
            current.rotateDegrees = degrees;
        } else if (arg == "--syntax") {
            if (value == "madmac")
                current.syntax = AsmSyntax::Madmac;
            else if (value == "gas")
                current.syntax = AsmSyntax::Gas;
            else
                return fail("--syntax needs madmac or gas, not '" + value + "'");
        } else {
            CutFrame frame;
            if (!parseCutFrame(value, frame))
                return fail("--cut needs X,Y:WxH with X, Y >= 0 and W, H >= 1, not '" + value +
                            "'");
            current.cut = frame;
        }
    }
    if (result.jobs.empty() && !result.help && !result.version)
        return fail("no picture given (try --help)");
    return result;
}

} // namespace rastix
