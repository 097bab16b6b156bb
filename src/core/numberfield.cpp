#include "numberfield.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace glyphmill {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Digits in base 16 or 8 after the "&H"/"&O" marker. Accumulated as a double so that an
// absurdly long run of digits overflows into a value the range check rejects, never into UB.
double radixNumber(std::string_view digits, int base) {
    double value = 0;
    for (const char c : digits) {
        const int d = digitValue(c, base);
        if (d < 0)
            break;
        value = value * base + d;
    }
    return value;
}

// Length of the longest prefix of `text` that is an unsigned decimal number:
// digits, an optional fraction, an optional exponent (only when digits follow it).
std::size_t decimalLength(std::string_view text) {
    std::size_t i = 0;
    std::size_t mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        std::size_t fractionDigits = 0;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
            ++fractionDigits;
        }
        if (mantissaDigits + fractionDigits == 0)
            return 0;
        i = j;
        mantissaDigits += fractionDigits;
    }
    if (mantissaDigits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t exponentStart = j;
        while (j < text.size() && isDigit(text[j]))
            ++j;
        if (j > exponentStart)
            i = j;
    }
    return i;
}

} // namespace

double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    text.remove_prefix(i);

    if (text.size() >= 2 && text[0] == '&') {
        if (text[1] == 'h' || text[1] == 'H')
            return radixNumber(text.substr(2), 16);
        if (text[1] == 'o' || text[1] == 'O')
            return radixNumber(text.substr(2), 8);
        return 0;
    }

    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const std::size_t length = decimalLength(text);
    if (length == 0)
        return 0;
    // from_chars does not depend on the C locale, which a GUI program may have changed.
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + length, value);
    if (error == std::errc::result_out_of_range) {
        // Too large for a double: infinite, so that it fails the range check. Too small: 0.
        const std::string_view number = text.substr(0, length);
        const std::size_t exponent = number.find_first_of("eE");
        const bool huge = exponent == std::string_view::npos || number[exponent + 1] != '-';
        value = huge ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc() || end == text.data()) {
        value = 0;
    }
    return negative ? -value : value;
}

std::optional<std::int32_t> leadingInteger(std::string_view text) {
    // nearbyint rounds in the current rounding mode, which is to-nearest-even unless
    // someone changed it; that is exactly the half-to-even rule.
    const double rounded = std::nearbyint(leadingNumber(text));
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

std::string formatInteger(std::int32_t value) {
    return std::to_string(value);
}

NumberFieldVerdict CheckNumberField(std::string_view typed, std::int32_t lowerBound,
                                    std::int32_t upperBound) {
    const std::optional<std::int32_t> number = leadingInteger(typed);
    if (!number)
        return {false, std::string(typed)};
    std::string canonical = formatInteger(*number);
    const bool accepted = canonical == typed && *number >= lowerBound && *number <= upperBound;
    return {accepted, std::move(canonical)};
}

} // namespace glyphmill
