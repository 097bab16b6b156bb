#include "files/messageline.h"

#include <cstring>

namespace rastix {

namespace {

void appendEscape(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789abcdef";
    switch (byte) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
}

} // namespace

std::string messageLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte < 0x20 || byte == 0x7F) {
            appendEscape(out, byte);
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            // U+0080 to U+009F in UTF-8: terminals take some of them (CSI) as commands too.
            appendEscape(out, byte);
            appendEscape(out, next);
            ++i;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

std::string standardOutputFailure(int error) {
    return std::string("rastix: cannot write to standard output: ") +
           (error ? std::strerror(error) : "write failed");
}

} // namespace rastix
