// The text palettes: GIMP's .gpl and PaintShop Pro's JASC-PAL. Lines end in LF or CR LF (JASC
// files come from Windows programs; a .gpl edited there may too).
#include "palette/palettefileformats.h"

#include <cstddef>
#include <string>

namespace rastix::palettefiles {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Splits text into lines, giving each with its number (from 1), without its end.
class Lines {
public:
    explicit Lines(std::string_view text)
        : text_(text) {}

    bool next(std::string_view& line) {
        if (at_ >= text_.size())
            return false;
        std::size_t end = text_.find('\n', at_);
        if (end == std::string_view::npos)
            end = text_.size();
        line = text_.substr(at_, end - at_);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        at_ = end + 1;
        ++number_;
        return true;
    }

    std::size_t number() const { return number_; }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t number_ = 0;
};

bool allBlank(std::string_view line) {
    for (const char c : line)
        if (!isBlank(c))
            return false;
    return true;
}

std::string_view trimmedEnd(std::string_view line) {
    while (!line.empty() && isBlank(line.back()))
        line.remove_suffix(1);
    return line;
}

// An unsigned decimal number at pos, after any blanks. Values too large for a colour are held at
// a bound above 255, so that a long run of digits can neither overflow nor pass.
bool readNumber(std::string_view line, std::size_t& pos, unsigned& value) {
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    if (pos >= line.size() || !isDigit(line[pos]))
        return false;
    value = 0;
    for (; pos < line.size() && isDigit(line[pos]); ++pos)
        value = value > 99999 ? value : value * 10 + unsigned(line[pos] - '0');
    return true;
}

enum class Row { Colour, NotAColour, OutOfRange };

// "R G B" at the start of a line, each 0 to 255, followed by the end or a blank. What follows
// the third number is left to the caller (a .gpl names its colours there).
Row readColour(std::string_view line, std::size_t& pos, RgbColour& colour, unsigned& bad) {
    unsigned values[3];
    for (unsigned& value : values)
        if (!readNumber(line, pos, value))
            return Row::NotAColour;
    if (pos < line.size() && !isBlank(line[pos]))
        return Row::NotAColour;
    for (const unsigned value : values)
        if (value > 255) {
            bad = value;
            return Row::OutOfRange;
        }
    colour = {std::uint8_t(values[0]), std::uint8_t(values[1]), std::uint8_t(values[2])};
    return Row::Colour;
}

std::string lineText(std::size_t number) {
    return "line " + std::to_string(number);
}

std::string outOfRange(std::size_t line, unsigned value) {
    std::string text = lineText(line);
    text += ": component ";
    text += value > 99999 ? std::string("beyond 99999") : std::to_string(value);
    text += " is outside 0..255";
    return text;
}

bool startsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

} // namespace

bool parseGimpPalette(std::string_view text, std::vector<RgbColour>& colours, std::string& error) {
    Lines lines(text);
    std::string_view line;
    if (!lines.next(line) || trimmedEnd(line) != "GIMP Palette") {
        error = "is not a GIMP palette (its first line is not \"GIMP Palette\")";
        return false;
    }
    while (lines.next(line)) {
        // The palette's name and how many columns GIMP shows it in: nothing to a colour map.
        if (allBlank(line) || line[0] == '#' || startsWith(line, "Name:") ||
            startsWith(line, "Columns:"))
            continue;
        std::size_t pos = 0;
        RgbColour colour;
        unsigned bad = 0;
        switch (readColour(line, pos, colour, bad)) {
        case Row::Colour:
            colours.push_back(colour); // the rest of the line is the colour's name
            break;
        case Row::OutOfRange:
            error = outOfRange(lines.number(), bad);
            return false;
        case Row::NotAColour:
            error = lineText(lines.number()) + " is neither a colour (R G B name) nor a comment";
            return false;
        }
    }
    return true;
}

bool parseJascPalette(std::string_view text, std::vector<RgbColour>& colours, std::string& error) {
    Lines lines(text);
    std::string_view line;
    if (!lines.next(line) || trimmedEnd(line) != "JASC-PAL") {
        error = "is not a JASC-PAL palette (its first line is not \"JASC-PAL\")";
        return false;
    }
    if (!lines.next(line) || trimmedEnd(line) != "0100") {
        error = "is a JASC-PAL palette of a version other than 0100";
        return false;
    }
    std::size_t pos = 0;
    unsigned count = 0;
    if (!lines.next(line) || !readNumber(line, pos, count) || !allBlank(line.substr(pos))) {
        error = "has no count of colours on its third line";
        return false;
    }
    if (count > kMostPaletteColours) {
        error = "gives a count of " +
                (count > 99999 ? std::string("over 99999") : std::to_string(count));
        error += " colours, more than the 256 a palette can have";
        return false;
    }
    while (lines.next(line)) {
        if (allBlank(line))
            continue;
        pos = 0;
        RgbColour colour;
        unsigned bad = 0;
        const Row row = readColour(line, pos, colour, bad);
        if (row == Row::OutOfRange) {
            error = outOfRange(lines.number(), bad);
            return false;
        }
        if (row == Row::NotAColour || !allBlank(line.substr(pos))) {
            error = lineText(lines.number()) + " is not a colour (R G B)";
            return false;
        }
        if (colours.size() == count) {
            error = "holds more colours than the " + std::to_string(count);
            error += " its third line gives";
            return false;
        }
        colours.push_back(colour);
    }
    if (colours.size() != count) {
        error = "holds " + std::to_string(colours.size()) + " colours, not the ";
        error += std::to_string(count) + " its third line gives";
        return false;
    }
    return true;
}

} // namespace rastix::palettefiles
