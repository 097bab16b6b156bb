#include "runoutcome.h"

#include <algorithm>
#include <string_view>

namespace glyphmill {

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        // Written on Windows, a line may end in CR LF.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A warning comes on the error stream too, about a picture that was written all the same.
bool isFailure(std::string_view line) {
    return startsWith(line, "rastix: ") && line.find(": warning: ") == std::string_view::npos;
}

std::string counted(std::size_t n, const char* one, const char* many) {
    std::string text = std::to_string(n);
    text += ' ';
    text += n == 1 ? one : many;
    return text;
}

std::string exitedWith(int code) {
    std::string text = "the converter failed (exit code ";
    text += std::to_string(code);
    text += ')';
    return text;
}

} // namespace

RunOutcome summariseRun(const std::optional<std::string>& output,
                        const std::optional<std::string>& errors, std::size_t pictures,
                        const ProcessEnd& end) {
    RunOutcome outcome;
    outcome.lines = splitLines(output.value_or(std::string()));
    const std::size_t written = static_cast<std::size_t>(
        std::count_if(outcome.lines.begin(), outcome.lines.end(),
                      [](const std::string& line) { return startsWith(line, "wrote "); }));
    const std::vector<std::string> messages = splitLines(errors.value_or(std::string()));
    const std::size_t failed = static_cast<std::size_t>(std::count_if(
        messages.begin(), messages.end(), [](const std::string& line) { return isFailure(line); }));
    outcome.lines.insert(outcome.lines.end(), messages.begin(), messages.end());

    const std::string filesWritten = counted(written, "file written", "files written");
    if (end.how == ProcessEnd::How::Crashed) {
        outcome.summary = "the converter stopped abnormally; " + filesWritten;
    } else if (!output || !errors) {
        outcome.summary = "the converter's report could not be read";
    } else if (end.how == ProcessEnd::How::Exited && end.exitCode == 0) {
        outcome.summary = filesWritten;
    } else if (failed > 0 && pictures > 0 &&
               (end.how == ProcessEnd::How::Unknown || end.exitCode == 1)) {
        // Exit code 1 is a run in which pictures failed; any other is the run refused whole.
        outcome.summary = std::to_string(failed);
        outcome.summary += " of ";
        outcome.summary += counted(std::max(failed, pictures), "picture failed", "pictures failed");
    } else if (end.how == ProcessEnd::How::Unknown) {
        outcome.summary = filesWritten;
    } else {
        outcome.summary = exitedWith(end.exitCode);
    }
    return outcome;
}

} // namespace glyphmill
