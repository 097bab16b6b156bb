#include "palette/colourcensus.h"

#include "image/rowbands.h"

#include <algorithm>

namespace rastix {

void ColourCensus::add(const ColourCensus& other) {
    for (std::size_t w = 0; w < words.size(); ++w)
        for (std::size_t a = 0; a < 4; ++a)
            words[w][a] += other.words[w][a];
}

RowCodes::RowCodes(const Settings& settings, int width)
    : m_encoder(settings)
    , m_codes(static_cast<std::size_t>(width)) {}

const std::uint32_t* RowCodes::operator()(const std::uint32_t* row) {
    m_encoder.codeRow(row, static_cast<int>(m_codes.size()), m_codes.data(),
                      ColourCensus::kTransparent);
    return m_codes.data();
}

CensusTaker::CensusTaker(const Settings& settings, int width)
    : m_codes(settings, width)
    , m_width(width)
    , m_sumColours(!glassCry(settings)) {}

const std::uint32_t* CensusTaker::addRow(const std::uint32_t* pixels, ColourCensus& into) {
    auto* const words = into.words.data();
    const std::uint32_t* code = m_codes(pixels);
    if (!m_sumColours) {
        for (int x = 0; x < m_width; ++x)
            ++words[code[x]][0];
        return code;
    }
    for (int x = 0; x < m_width; ++x) {
        // The transparent slot's colours are never read.
        auto& word = words[code[x]];
        ++word[0];
        word[1] += (pixels[x] >> 16) & 0xFF;
        word[2] += (pixels[x] >> 8) & 0xFF;
        word[3] += pixels[x] & 0xFF;
    }
    return code;
}

void CensusTaker::addRows(const std::uint32_t* pixels, std::ptrdiff_t stride, int rows,
                          ColourCensus& into) {
    for (int y = 0; y < rows; ++y, pixels += stride)
        addRow(pixels, into);
}

void CensusTaker::addRowsKeepingWords(std::uint32_t* pixels, std::ptrdiff_t stride, int rows,
                                      ColourCensus& into) {
    for (int y = 0; y < rows; ++y, pixels += stride)
        std::copy_n(addRow(pixels, into), m_width, pixels);
}

ColourCensus takeCensus(const ImageView& image, const Settings& settings, int threads) {
    threads = std::clamp(threads, 1, 16);
    // Each band of rows but the first is counted on its own and added in after.
    std::vector<ColourCensus> bandCensuses(static_cast<std::size_t>(rowBandCount(image, threads)) -
                                           1);
    ColourCensus census;
    inRowBands(image, threads, [&](int first, int last, int band) {
        ColourCensus& into = band == 0 ? census : bandCensuses[static_cast<std::size_t>(band) - 1];
        CensusTaker(settings, image.width)
            .addRows(image.row(first), image.stride, last - first, into);
    });
    for (const ColourCensus& bandCensus : bandCensuses)
        census.add(bandCensus);
    return census;
}

} // namespace rastix
