#include "output/metadata.h"

#include "codec/objectfields.h"
#include "output/outputnames.h"

#include <iterator>
#include <string_view>
#include <utility>

namespace rastix {

namespace {

// The length of the UTF-8 character starting at text[i], 0 when the bytes there are not one
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t at) {
        return static_cast<unsigned char>(text[at]);
    };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned long value = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return overlong || surrogate || value > 0x10FFFF ? 0 : length;
}

void appendEscapedByte(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

} // namespace

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t length = utf8Length(text, i);
        if (length == 0) {
            appendEscapedByte(out, static_cast<unsigned char>(c));
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        ++i;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                appendEscapedByte(out, static_cast<unsigned char>(c));
            else
                out += c;
        }
    }
    return out + "\"";
}

std::string metadataJson(const EncodedPicture& p, const Settings& s, const std::string& picturePath,
                         const std::vector<std::string>& outputs,
                         const std::vector<std::string>& warnings) {
    const ObjectFields f = objectFields(p, writesOwnPalette(s));
    const auto list = [](const std::vector<std::string>& items) {
        std::string text = "[";
        for (std::size_t i = 0; i < items.size(); ++i)
            text += (i ? ", " : "") + jsonString(items[i]);
        return text + "]";
    };
    std::vector<std::string> names;
    for (const std::string& output : outputs)
        names.push_back(fileName(output));
    const bool setPalette = p.isColourMap() && !writesOwnPalette(s);
    const auto numbers = [](const auto& values) {
        std::string text = "[";
        for (std::size_t i = 0; i < values.size(); ++i)
            text += (i ? ", " : "") + std::to_string(values[i]);
        return text + "]";
    };
    const std::pair<const char*, std::string> keys[] = {
        {"source", jsonString(picturePath)},
        {"outputs", list(names)},
        {"width", std::to_string(f.width)},
        {"height", std::to_string(f.height)},
        {"model", jsonString(modelDescription(s))},
        {"mode", jsonString(p.isColourMap() ? "colour map" : "true colour")},
        {"bits_per_pixel", std::to_string(f.bitsPerPixel)},
        {"depth", std::to_string(f.depth)},
        {"phrases", std::to_string(f.phrases)},
        // Rows are padded to whole phrases of 64 bits.
        {"padded_width", std::to_string(f.phrases * 64 / f.bitsPerPixel)},
        {"data_bytes", std::to_string(f.dataBytes)},
        {"palette_entries", std::to_string(f.paletteEntries)},
        {"palette_bytes", std::to_string(f.paletteBytes)},
        // A bank counts in banks of the map's own size: entries bank x 2^depth onwards.
        {"bank", p.clutStart >= 0 ? std::to_string(p.clutStart >> p.bitsPerPixel) : "null"},
        {"index", std::to_string(f.index)},
        {"transparent_index_zero", p.isColourMap() && p.transparentIndexZero ? "true" : "false"},
        // The object's TRANS: pixels of value 0 (a map's index 0, true colour's word 0) unseen.
        {"trans", f.trans ? "true" : "false"},
        {"palette", setPalette ? jsonString(fileName(paletteSetPaths(s).front())) : "null"},
        // A sheet's frames: width and height above are one frame's.
        {"frames", std::to_string(p.frameOffsets.size())},
        {"frame_bytes", std::to_string(p.frameBytes())},
        {"frame_offsets", numbers(p.frameOffsets)},
        {"frame_delays_ms", numbers(p.frameDelaysMs)},
        // Written only when looked for: 1 where a frame is shown with REFLECT.
        {"frame_reflect", numbers(p.frameReflect)},
        // Written only with empty frames set aside: the offset they all point at.
        {"frame_empty", p.emptyFrameOffset >= 0 ? std::to_string(p.emptyFrameOffset) : "null"},
        {"warnings", list(warnings)},
    };
    std::string text = "{\n";
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        const bool frameKey = std::string_view(keys[i].first).starts_with("frame");
        if (frameKey && !p.framed())
            continue; // a picture that is not a sheet is described as it always was
        const std::string_view key = keys[i].first;
        if ((key == "frame_reflect" && p.frameReflect.empty()) ||
            (key == "frame_empty" && !s.dropEmptyFrames))
            continue;
        text += std::string("  \"") + keys[i].first + "\": " + keys[i].second +
                (i + 1 < std::size(keys) ? ",\n" : "\n");
    }
    return text + "}\n";
}

} // namespace rastix
