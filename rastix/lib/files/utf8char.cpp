#include "files/utf8char.h"

namespace rastix {

Utf8Char utf8CharAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    const unsigned char lead = byte(at);
    Utf8Char c{lead, 1, lead < 0x80};
    if (c.valid)
        return c;
    std::size_t length = 0;
    char32_t code = 0;
    char32_t least = 0; // the smallest code point that needs this many bytes
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return c;
    }
    if (at + length > text.size())
        return c;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80)
            return c;
        code = code << 6 | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return c;
    return {code, length, true};
}

} // namespace rastix
