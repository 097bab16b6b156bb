#include "output/commenttext.h"

#include "files/messageline.h"
#include "files/utf8char.h"

#include <vector>

namespace rastix {

namespace {

constexpr std::string_view kLeftOut = "...";

// The name as shown, a character at a time, so that it can only be cut between characters and
// never inside an escape.
std::vector<std::string> shownCharacters(std::string_view name) {
    std::vector<std::string> shown;
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = utf8CharAt(name, at).length;
        shown.push_back(messageLine(name.substr(at, length)));
        at += length;
    }
    return shown;
}

} // namespace

std::string commentName(std::string_view name, std::size_t most) {
    const std::vector<std::string> shown = shownCharacters(name);
    std::size_t width = 0;
    for (const std::string& c : shown)
        width += c.size();
    std::string whole;
    if (width <= most) {
        whole.reserve(width);
        for (const std::string& c : shown)
            whole += c;
        return whole;
    }
    // The file name from its separator on; kept whole when a quarter of the room is left for
    // the start, else only its end.
    std::size_t fileStart = shown.size();
    while (fileStart > 0 && shown[fileStart - 1] != "/" && shown[fileStart - 1] != "\\")
        --fileStart;
    fileStart = fileStart > 0 ? fileStart - 1 : 0;
    const std::size_t room = most > kLeftOut.size() ? most - kLeftOut.size() : 0;
    std::size_t fileWidth = 0;
    for (std::size_t i = fileStart; i < shown.size(); ++i)
        fileWidth += shown[i].size();
    const std::size_t endRoom = std::min(fileWidth, room - room / 4);
    std::size_t endWidth = 0;
    std::size_t end = shown.size();
    while (end > 0 && endWidth + shown[end - 1].size() <= endRoom)
        endWidth += shown[--end].size();
    std::string text;
    text.reserve(most);
    for (std::size_t i = 0; i < end && text.size() + shown[i].size() <= room - endWidth; ++i)
        text += shown[i];
    text += kLeftOut;
    for (std::size_t i = end; i < shown.size(); ++i)
        text += shown[i];
    return text;
}

} // namespace rastix
