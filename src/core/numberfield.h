#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace glyphmill {

// The leading number of a text, the way the number fields read what was typed: blanks first,
// then either a decimal number (sign, digits, fraction, exponent) or "&H"/"&O" followed by
// hexadecimal or octal digits. Reading stops at the first character that does not fit; a text
// without a number reads as 0. The result is not rounded.
double leadingNumber(std::string_view text);

// The leading number rounded half-to-even to a signed 32-bit integer, or nothing when the
// rounded value does not fit (or the text reads as a number too large for a double).
std::optional<std::int32_t> leadingInteger(std::string_view text);

// Plain decimal digits with a leading "-" for negative values, no grouping, at least one digit.
std::string formatInteger(std::int32_t value);

struct NumberFieldVerdict {
    // Whether the field may be left with its text.
    bool accepted = false;
    // What the field holds afterwards: the canonical form of the number, or the typed text
    // when it names no 32-bit number.
    std::string text;
};

// A field passes only when it already holds the canonical form of its number and that number
// lies within the bounds. Anything else is rejected; the canonical text is offered back so
// that leaving the field once more accepts it (unless it is out of bounds).
NumberFieldVerdict
CheckNumberField(std::string_view typed, std::int32_t lowerBound,
                 std::int32_t upperBound = std::numeric_limits<std::int32_t>::max());

} // namespace glyphmill
