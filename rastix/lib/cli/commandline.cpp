#include "cli/commandline.h"

#include "output/outputnames.h"
#include "palette/palettefile.h"

#include <algorithm>
#include <limits>
#include <map>
#include <memory>
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

bool parseFrameSize(const std::string& text, FrameSize& size) {
    FrameSize f;
    const auto times = text.find('x');
    if (times == std::string::npos) {
        if (!parseInteger(text, false, f.count) || f.count < 1)
            return false;
    } else if (!parseInteger(text.substr(0, times), false, f.width) ||
               !parseInteger(text.substr(times + 1), false, f.height) || f.width < 1 ||
               f.height < 1) {
        return false;
    }
    size = f;
    return true;
}

namespace {

using Flag = void (*)(Settings&);

void endPaletteSet(Settings& s) {
    s.sharing = PaletteSharing::Own;
    s.paletteSetName.clear();
    s.paletteSet = 0;
}

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
        {"--c",
         [](Settings& s) {
             s.format = OutputFormat::C;
         }},
        {"--object-header",
         [](Settings& s) {
             s.objectHeader = true;
         }},
        {"--no-object-header",
         [](Settings& s) {
             s.objectHeader = false;
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
        {"--no-frames",
         [](Settings& s) {
             s.frames.reset();
         }},
        {"--mirror-frames",
         [](Settings& s) {
             s.mirrorFrames = true;
         }},
        {"--no-mirror-frames",
         [](Settings& s) {
             s.mirrorFrames = false;
         }},
        {"--drop-empty-frames",
         [](Settings& s) {
             s.dropEmptyFrames = true;
         }},
        {"--no-drop-empty-frames",
         [](Settings& s) {
             s.dropEmptyFrames = false;
         }},
        {"--no-palette",
         [](Settings& s) {
             s.givenPalette.reset();
             s.givenPaletteFile.clear();
         }},
        {"--no-shared-clut",
         [](Settings& s) {
             if (s.sharing == PaletteSharing::SharedClut)
                 endPaletteSet(s);
         }},
        {"--no-banks",
         [](Settings& s) {
             if (s.sharing == PaletteSharing::Banks)
                 endPaletteSet(s);
         }},
        {"--no-bank",
         [](Settings& s) {
             s.bank = -1;
         }},
        {"--export-equates",
         [](Settings& s) {
             s.exportEquates = true;
         }},
        {"--no-export-equates",
         [](Settings& s) {
             s.exportEquates = false;
         }},
        {"--metadata",
         [](Settings& s) {
             s.metadata = true;
         }},
        {"--no-metadata",
         [](Settings& s) {
             s.metadata = false;
         }},
        {"--show-png",
         [](Settings& s) {
             s.showPng = true;
         }},
        {"--no-show-png",
         [](Settings& s) {
             s.showPng = false;
         }},
        {"--update",
         [](Settings& s) {
             s.update = true;
         }},
        {"--no-update",
         [](Settings& s) {
             s.update = false;
         }},
        {"--no-reserve",
         [](Settings& s) {
             s.reservedEntries.reset();
         }},
    };
    return table;
}

// The options that take the next argument as their value.
constexpr const char* kValuedOptions[] = {
    "--target-dir",  "--rotate", "--cut",  "--syntax",  "--dither",      "--colours", "--palette",
    "--shared-clut", "--banks",  "--bank", "--reserve", "--palette-out", "--depfile", "--frames"};

} // namespace

bool optionTakesValue(const std::string& option) {
    for (const char* valued : kValuedOptions)
        if (option == valued)
            return true;
    return false;
}

std::vector<std::string> optionNames() {
    std::vector<std::string> names = {"--help", "--version", "--no-depfile"};
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

// "A-B" or "A": palette entries from A to B.
bool parseEntryRange(const std::string& text, int& first, int& last) {
    const auto dash = text.find('-');
    if (!parseInteger(text.substr(0, dash), false, first))
        return false;
    last = first;
    if (dash != std::string::npos && !parseInteger(text.substr(dash + 1), false, last))
        return false;
    return first <= last && last <= 255;
}

// A palette set's name names a file in the target folder, which --target-dir chooses.
bool plainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

// The pictures of one --shared-clut or --banks set must agree on what their palette holds;
// one line describing the first disagreement, empty when they do.
std::string paletteSetProblem(const std::vector<Job>& jobs) {
    std::map<int, const Job*> first; // set -> its first colour-mapped picture
    std::map<int, std::string> names;
    for (const Job& job : jobs) {
        const Settings& s = job.settings;
        if (s.sharing == PaletteSharing::Own)
            continue;
        const std::string option =
            s.sharing == PaletteSharing::SharedClut ? "--shared-clut " : "--banks ";
        names.emplace(s.paletteSet, option + s.paletteSetName);
        if (s.sharing == PaletteSharing::Banks && s.bank >= 0)
            return job.picture + ": --bank and --banks both give it a bank; use one of them";
        if (s.sharing == PaletteSharing::Banks && s.givenPalette)
            return job.picture + ": --palette and --banks cannot be used together";
        if (!s.colourMap)
            continue;
        const auto [it, fresh] = first.emplace(s.paletteSet, &job);
        if (fresh)
            continue;
        const Settings& f = it->second->settings;
        const std::string both =
            it->second->picture + " and " + job.picture + " (" + option + s.paletteSetName + ")";
        if (modelDescription(f) != modelDescription(s) || f.fifteenBits != s.fifteenBits)
            return both + " share a palette but not a colour model";
        if (f.bank != s.bank)
            return both + " share a palette but not a --bank";
        if (f.givenPalette != s.givenPalette)
            return both + " share a palette but not a --palette";
    }
    for (const auto& [set, name] : names)
        if (!first.count(set))
            return name + ": no picture after it is a colour map (--clut)";
    return {};
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args, const FolderCheck& checkFolder) {
    CommandLine result;
    Settings current;
    int paletteSets = 0;
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
        // The run's make rules are one file for all its pictures, not a setting of the pictures
        // after it: allowed anywhere, the last one counts.
        if (arg == "--no-depfile") {
            result.depfile.clear();
            continue;
        }
        if (arg == "--depfile") {
            if (i + 1 >= args.size())
                return fail("option " + arg + " needs a value");
            result.depfile = args[++i];
            if (result.depfile.empty())
                return fail("--depfile needs a file name, not ''");
            continue;
        }
        if (const auto it = flags().find(arg); it != flags().end()) {
            it->second(current);
            if (unusedOption.empty())
                unusedOption = arg;
            continue;
        }
        if (!optionTakesValue(arg))
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
        } else if (arg == "--palette") {
            auto contents = std::make_shared<PaletteFileContents>();
            std::string problem;
            if (!readPaletteFile(value, *contents, problem))
                return fail("--palette '" + value + "': " + problem);
            current.givenPalette = std::move(contents);
            current.givenPaletteFile = value;
        } else if (arg == "--shared-clut" || arg == "--banks") {
            if (!plainFileName(value))
                return fail(arg + " needs a file name without folders (--target-dir says " +
                            "where it goes), not '" + value + "'");
            current.sharing = arg == "--banks" ? PaletteSharing::Banks : PaletteSharing::SharedClut;
            current.paletteSetName = value;
            current.paletteSet = ++paletteSets;
        } else if (arg == "--bank") {
            int bank = 0;
            if (!parseInteger(value, false, bank) || bank > 127)
                return fail("--bank needs a whole number from 0 to 127, not '" + value + "'");
            current.bank = bank;
        } else if (arg == "--reserve") {
            int first = 0;
            int last = 0;
            if (!parseEntryRange(value, first, last))
                return fail("--reserve needs palette entries A-B with 0 <= A <= B <= 255, not '" +
                            value + "'");
            for (int e = first; e <= last; ++e)
                current.reservedEntries.set(static_cast<std::size_t>(e));
        } else if (arg == "--palette-out") {
            if (value == "gpl")
                current.paletteCopy = PaletteCopy::Gpl;
            else if (value == "pal")
                current.paletteCopy = PaletteCopy::JascPal;
            else if (value == "act")
                current.paletteCopy = PaletteCopy::Act;
            else if (value == "none")
                current.paletteCopy = PaletteCopy::None;
            else
                return fail("--palette-out needs gpl, pal, act or none, not '" + value + "'");
        } else if (arg == "--syntax") {
            if (value == "madmac")
                current.syntax = AsmSyntax::Madmac;
            else if (value == "gas")
                current.syntax = AsmSyntax::Gas;
            else
                return fail("--syntax needs madmac or gas, not '" + value + "'");
        } else if (arg == "--frames") {
            FrameSize size;
            if (!parseFrameSize(value, size)) {
                const std::string number = tooLargeNumber(value);
                if (!number.empty())
                    return fail(outOfRange(arg, number, false));
                return fail("--frames needs WxH (W, H >= 1) or a count N >= 1, not '" + value +
                            "'");
            }
            current.frames = size;
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
    if (const std::string problem = paletteSetProblem(result.jobs); !problem.empty())
        return fail(problem);
    return result;
}

namespace {

// What writes the outputs of a run: each picture, and each set's palette once, from the
// settings of its first colour map (it is made with them).
struct Writer {
    std::string name; // a picture, or "the palette of --banks NAME"
    const Job* job;
    NamedOutput output;
};

std::vector<Writer> writersOf(const std::vector<Job>& jobs) {
    std::vector<Writer> all;
    std::map<int, bool> setSeen;
    for (const Job& job : jobs) {
        all.push_back({job.picture, &job, NamedOutput::Picture});
        const Settings& s = job.settings;
        if (s.sharing != PaletteSharing::Own && s.colourMap && !setSeen[s.paletteSet]) {
            setSeen[s.paletteSet] = true;
            const std::string option =
                s.sharing == PaletteSharing::SharedClut ? "--shared-clut " : "--banks ";
            all.push_back(
                {"the palette of " + option + s.paletteSetName, &job, NamedOutput::PaletteSet});
        }
    }
    return all;
}

std::vector<std::string> writtenPaths(const Writer& writer) {
    return writer.output == NamedOutput::Picture
               ? outputPaths(writer.job->settings, writer.job->picture)
               : paletteSetPaths(writer.job->settings);
}

} // namespace

std::string findOutputClash(const std::vector<Job>& jobs, const PathKey& key) {
    std::unordered_map<std::string, std::size_t> pictures; // key -> job
    for (std::size_t i = 0; i < jobs.size(); ++i)
        pictures.emplace(key(jobs[i].picture), i);
    const std::vector<Writer> all = writersOf(jobs);
    std::unordered_map<std::string, std::size_t> writers; // output key -> writer
    for (std::size_t i = 0; i < all.size(); ++i) {
        for (const std::string& output : writtenPaths(all[i])) {
            const std::string k = key(output);
            if (const auto read = pictures.find(k); read != pictures.end())
                return all[i].name + ": its output " + output + " would replace the picture " +
                       (jobs[read->second].picture == all[i].name ? std::string("itself")
                                                                  : jobs[read->second].picture);
            const auto [it, fresh] = writers.emplace(k, i);
            if (!fresh) {
                const std::string& first = all[it->second].name;
                return first == all[i].name
                           ? all[i].name + " is named twice: both would write " + output
                           : first + " and " + all[i].name + " would both write " + output;
            }
        }
    }
    return {};
}

std::string findGlobalNameClash(const std::vector<Job>& jobs,
                                const std::function<bool(const std::string&)>& isAnimation) {
    const std::vector<Writer> all = writersOf(jobs);
    std::unordered_map<std::string, std::size_t> definedBy; // name -> writer
    const auto define = [&](const std::string& name, std::size_t i) {
        const auto [it, fresh] = definedBy.emplace(name, i);
        if (fresh || it->second == i)
            return std::string();
        // Named in the order the command line gives them.
        const std::size_t first = std::min(it->second, i);
        return all[first].name + " and " + all[first == i ? it->second : i].name +
               " would both define the global name " + name + " (rename one of them)";
    };
    for (std::size_t i = 0; i < all.size(); ++i)
        for (const std::string& name :
             globalNames(all[i].job->settings, all[i].job->picture, all[i].output))
            if (std::string clash = define(name, i); !clash.empty())
                return clash;
    if (!isAnimation)
        return {};
    // The tables only an animation has: its file is looked at only when one of them would
    // clash, as reading it may take a while.
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Settings& s = all[i].job->settings;
        if (all[i].output != NamedOutput::Picture || s.frames)
            continue;
        const std::string& picture = all[i].job->picture;
        const std::vector<std::string> still = globalNames(s, picture, all[i].output);
        std::vector<std::string> extra = globalNames(s, picture, all[i].output, true);
        std::erase_if(extra, [&](const std::string& name) {
            return std::find(still.begin(), still.end(), name) != still.end();
        });
        const bool mayClash = std::any_of(extra.begin(), extra.end(), [&](const std::string& n) {
            const auto it = definedBy.find(n);
            return it != definedBy.end() && it->second != i;
        });
        if (!mayClash || !isAnimation(picture))
            continue;
        for (const std::string& name : extra)
            if (std::string clash = define(name, i); !clash.empty())
                return clash;
    }
    return {};
}

} // namespace rastix
