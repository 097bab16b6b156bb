#include "cli/argumentfiles.h"

#include "cli/commandline.h"
#include "files/utf8path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace rastix {

bool readWholeFile(const std::string& path, std::string& text, std::string& error) {
    errno = 0;
    std::unique_ptr<FILE, int (*)(FILE*)> file(openFile(path, "rb"), std::fclose);
    if (!file) {
        // Windows refuses to open a folder as "Permission denied": named for what it is, as
        // elsewhere.
        std::error_code ec;
        error = std::filesystem::is_directory(utf8Path(path), ec)
                    ? std::generic_category().message(EISDIR)
                    : std::generic_category().message(errno ? errno : ENOENT);
        return false;
    }
    text.clear();
    char buffer[1 << 14];
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        text.append(buffer, got);
        if (got < sizeof buffer) {
            // A folder opens, but reading it fails (EISDIR).
            if (std::ferror(file.get())) {
                error = std::generic_category().message(errno ? errno : EIO);
                return false;
            }
            return true;
        }
    }
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The arguments a file holds, one a line.
std::vector<std::string> argumentLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    // A byte order mark, as some Windows editors write, is not part of the first argument.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        start = 3;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::size_t first = start;
        std::size_t last = end;
        while (first < last && isBlank(text[first]))
            ++first;
        while (last > first && isBlank(text[last - 1]))
            --last;
        if (last > first && text[first] != '#')
            lines.push_back(text.substr(first, last - first));
        start = end + 1;
    }
    return lines;
}

struct Expansion {
    const ReadWholeFile& read;
    ExpandedArguments result;
    std::vector<std::string> open; // the files being read, outermost first
    bool optionsEnded = false;
    bool valueNext = false;

    // False once result.error says why the arguments cannot be used.
    bool add(const std::vector<std::string>& args) {
        for (const std::string& arg : args) {
            const bool literal = optionsEnded || valueNext;
            valueNext = false;
            if (literal || arg.size() < 2 || arg[0] != '@') {
                if (!literal && arg == "--")
                    optionsEnded = true;
                else if (!literal)
                    valueNext = optionTakesValue(arg);
                result.args.push_back(arg);
                continue;
            }
            if (arg[1] == '@') {
                result.args.push_back(arg.substr(1));
                continue;
            }
            if (!addFile(arg.substr(1)))
                return false;
        }
        return true;
    }

    bool addFile(const std::string& path) {
        const std::string named = "@" + path;
        for (const std::string& reading : open)
            if (reading == path) {
                result.error = named + ": reads itself" +
                               (open.back() == path ? std::string() : " through @" + open.back());
                return false;
            }
        if (static_cast<int>(open.size()) >= kMostNestedArgumentFiles) {
            result.error = named + ": argument files nested more than " +
                           std::to_string(kMostNestedArgumentFiles) + " deep";
            return false;
        }
        std::string text;
        std::string why;
        if (!read(path, text, why)) {
            result.error = named + ": " + why;
            return false;
        }
        result.filesRead.push_back(path);
        open.push_back(path);
        const bool added = add(argumentLines(text));
        open.pop_back();
        return added;
    }
};

} // namespace

ExpandedArguments expandArgumentFiles(const std::vector<std::string>& args,
                                      const ReadWholeFile& read) {
    Expansion expansion{read, {}, {}, false, false};
    if (!expansion.add(args))
        expansion.result.args.clear();
    return std::move(expansion.result);
}

} // namespace rastix
