#pragma once

#include "codec/pixelcodec.h"
#include "image/image.h"
#include "settings.h"

#include <array>
#include <cstdint>
#include <vector>

namespace rastix {

// What a colour map is chosen from: how many pixels give each console word, and the sum of the
// source colours behind it (their mean is what the palette should show). Sums add up the same
// in any order, so a census taken in bands, or while the picture is decoded, is the same.
struct ColourCensus {
    // One slot past the words counts the transparent pixels.
    static constexpr std::uint32_t kTransparent = 0x10000;
    // pixels, red, green, blue for each word; the colours stay 0 where the words are not
    // colours (glass CRY holds changes of colour).
    std::vector<std::array<std::uint64_t, 4>> words;

    ColourCensus()
        : words(kTransparent + 1, {0, 0, 0, 0}) {}
    std::uint64_t pixels(std::uint32_t word) const { return words[word][0]; }
    void add(const ColourCensus& other);
};

// The word of every pixel of a row, or ColourCensus::kTransparent.
class RowCodes {
public:
    RowCodes(const Settings& settings, int width);
    const std::uint32_t* operator()(const std::uint32_t* row);

private:
    const PixelEncoder m_encoder;
    std::vector<std::uint32_t> m_codes;
};

// Counts rows into a census; one per thread.
class CensusTaker {
public:
    CensusTaker(const Settings& settings, int width);
    void addRows(const std::uint32_t* pixels, std::ptrdiff_t stride, int rows, ColourCensus& into);
    // The same, and then each pixel is replaced by its word (or ColourCensus::kTransparent), so
    // that the map is packed without encoding every pixel a second time.
    void addRowsKeepingWords(std::uint32_t* pixels, std::ptrdiff_t stride, int rows,
                             ColourCensus& into);

private:
    const std::uint32_t* addRow(const std::uint32_t* pixels, ColourCensus& into);
    RowCodes m_codes;
    const int m_width;
    const bool m_sumColours;
};

// The census of a whole picture, taken in bands on up to `threads` cores.
ColourCensus takeCensus(const ImageView& image, const Settings& settings, int threads);

} // namespace rastix
