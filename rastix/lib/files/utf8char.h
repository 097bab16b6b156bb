#pragma once

#include <cstddef>
#include <string_view>

namespace rastix {

// One character of text read as UTF-8: a file name is bytes and need not be UTF-8, so a byte
// that does not start a well-formed sequence (overlong, a surrogate, past U+10FFFF, cut short)
// is read alone and said to be no character.
struct Utf8Char {
    char32_t code = 0; // the code point; the byte itself when not valid
    std::size_t length = 1;
    bool valid = false;
};

// The character that starts at text[at]; at must be before the end.
Utf8Char utf8CharAt(std::string_view text, std::size_t at);

} // namespace rastix
