#include "loaders/framestrip.h"

#include "convert/memorybudget.h"

#include <algorithm>
#include <new>

namespace rastix {

std::uint32_t blendOver(std::uint32_t source, std::uint32_t destination) {
    const std::uint32_t sa = source >> 24;
    if (sa == 255)
        return source;
    if (sa == 0)
        return destination;
    const std::uint32_t da = destination >> 24;
    // Both in 255ths squared, so that only the final division rounds.
    const std::uint32_t under = da * (255 - sa);
    const std::uint32_t alpha = sa * 255 + under;
    std::uint32_t result = ((alpha + 127) / 255) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t s = source >> shift & 0xFF;
        const std::uint32_t d = destination >> shift & 0xFF;
        const std::uint32_t channel = (s * sa * 255 + d * under + alpha / 2) / alpha;
        result |= std::min<std::uint32_t>(channel, 255) << shift;
    }
    return result;
}

bool admitStrip(const LoadedPicture& picture, int canvasWidth, int canvasHeight, int frames,
                std::uint64_t largestFramePixels, std::uint64_t fileBytes, std::string& error) {
    const std::uint64_t height = std::uint64_t(canvasHeight) * std::uint64_t(frames);
    if (canvasWidth <= 0 || canvasHeight <= 0 || frames <= 0 || height > 0x7FFFFFFF) {
        error = "cannot read picture: its " + std::to_string(frames) + " frames of " +
                std::to_string(canvasHeight) + " rows stacked are too tall a picture";
        return false;
    }
    Admission admission;
    admission.width = canvasWidth;
    admission.height = static_cast<int>(height);
    admission.decodedBytes =
        FrameStrip::bytesFor(canvasWidth, canvasHeight, frames, largestFramePixels);
    // As for a still picture (see qtreader.cpp): beyond 128 MB, only from a file that could
    // hold it, a byte of deflate or LZW data making at most about 256 KB of pixels.
    if (admission.decodedBytes > (std::uint64_t{128} << 20) &&
        admission.decodedBytes / (std::uint64_t{1} << 18) > fileBytes) {
        error = "damaged picture, not converted: its " + std::to_string(frames) + " frames of " +
                std::to_string(canvasWidth) + "x" + std::to_string(canvasHeight) + " pixels";
        if (largestFramePixels > std::uint64_t(canvasWidth) * std::uint64_t(canvasHeight)) {
            error += ", one of them ";
            error += std::to_string(largestFramePixels);
            error += " pixels,";
        }
        error += " (" + memoryText(admission.decodedBytes) + ") are far more than a file of " +
                 std::to_string(fileBytes) + " bytes can hold";
        return false;
    }
    return !picture.admit || picture.admit(admission, error);
}

std::uint64_t FrameStrip::bytesFor(int canvasWidth, int canvasHeight, int frames,
                                   std::uint64_t largestFramePixels) {
    const std::uint64_t canvas = std::uint64_t(canvasWidth) * std::uint64_t(canvasHeight);
    return 4 * (canvas * (std::uint64_t(frames) + 2) + std::max(canvas, largestFramePixels));
}

bool FrameStrip::allocate(int canvasWidth, int canvasHeight, int frames, std::string& error) {
    const std::uint64_t pixels = std::uint64_t(canvasWidth) * std::uint64_t(canvasHeight);
    if (canvasWidth <= 0 || canvasHeight <= 0 || frames <= 0 ||
        std::uint64_t(canvasHeight) * std::uint64_t(frames) > 0x7FFFFFFF) {
        error = "the animation's frames stacked are too tall a picture (" + std::to_string(frames) +
                " frames of " + std::to_string(canvasHeight) + " rows)";
        return false;
    }
    try {
        m_strip = std::make_shared<std::vector<std::uint32_t>>(pixels * std::uint64_t(frames));
        m_canvas.assign(pixels, 0);
        m_saved.assign(pixels, 0);
    } catch (const std::bad_alloc&) {
        m_strip.reset();
        error = "not enough memory for the animation's frames";
        return false;
    }
    m_width = canvasWidth;
    m_height = canvasHeight;
    m_frames = frames;
    m_added = 0;
    return true;
}

FrameStrip::Area FrameStrip::clipped(const FramePlacement& p) const {
    const auto clamp = [](std::int64_t v, int most) {
        return static_cast<int>(std::clamp<std::int64_t>(v, 0, most));
    };
    return {clamp(p.x, m_width), clamp(p.y, m_height), clamp(std::int64_t(p.x) + p.width, m_width),
            clamp(std::int64_t(p.y) + p.height, m_height)};
}

void FrameStrip::add(const FramePlacement& placement, const std::uint32_t* pixels,
                     std::ptrdiff_t stride) {
    if (m_added >= m_frames)
        return;
    const Area area = clipped(placement);
    const auto at = [&](int x, int y) {
        return std::size_t(y) * std::size_t(m_width) + x;
    };
    if (placement.disposal == FrameDisposal::Previous)
        for (int y = area.top; y < area.bottom; ++y)
            std::copy(&m_canvas[at(area.left, y)],
                      &m_canvas[at(area.left, y)] + (area.right - area.left),
                      &m_saved[at(area.left, y)]);
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint32_t* from = pixels + std::ptrdiff_t(y - placement.y) * stride;
        for (int x = area.left; x < area.right; ++x) {
            const std::uint32_t source = from[x - placement.x];
            std::uint32_t& canvas = m_canvas[at(x, y)];
            canvas = placement.blend == FrameBlend::Source ? source : blendOver(source, canvas);
        }
    }
    std::copy(m_canvas.begin(), m_canvas.end(),
              m_strip->begin() + std::ptrdiff_t(m_canvas.size()) * m_added);
    ++m_added;
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint32_t* row = &m_canvas[at(area.left, y)];
        const int count = area.right - area.left;
        if (placement.disposal == FrameDisposal::Background)
            std::fill(row, row + count, 0u);
        else if (placement.disposal == FrameDisposal::Previous)
            std::copy(&m_saved[at(area.left, y)], &m_saved[at(area.left, y)] + count, row);
    }
}

void FrameStrip::handTo(LoadedPicture& picture, std::vector<int> delaysMs) {
    picture.view = ImageView{m_strip->data(), m_width, m_height * m_added, m_width};
    picture.keepAlive = m_strip;
    picture.frameHeight = m_height;
    delaysMs.resize(std::size_t(m_added), 0);
    picture.frameDelaysMs = std::move(delaysMs);
    m_canvas = {};
    m_saved = {};
}

} // namespace rastix
