#pragma once

#include "convert/loadedpicture.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rastix {

// What becomes of a frame's area once the frame has been shown, before the next is drawn.
enum class FrameDisposal {
    Keep,       // left as drawn
    Background, // cleared to transparent, as browsers show it (not a GIF's background colour)
    Previous,   // put back as it was before the frame was drawn
};

// How a frame's pixels meet the canvas under them.
enum class FrameBlend {
    Source, // replace it, transparency included
    Over,   // drawn over it, as alpha says
};

// Where a frame goes on the canvas and what happens around it. The area may reach past the
// canvas: what falls outside is not drawn.
struct FramePlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    FrameDisposal disposal = FrameDisposal::Keep;
    FrameBlend blend = FrameBlend::Over;
};

// The frames of an animation composed as a viewer shows them, stacked top to bottom in one
// picture as wide as the canvas: frame k is rows k * canvas height to (k + 1) * canvas height - 1.
// The canvas starts transparent.
class FrameStrip {
public:
    // What composing takes: the strip, the canvas it is drawn on, a copy of it kept for a frame
    // that is put back after it was shown, and the frame being decoded, which a GIF may make
    // larger than the canvas.
    static std::uint64_t bytesFor(int canvasWidth, int canvasHeight, int frames,
                                  std::uint64_t largestFramePixels);

    // Allocates for that many frames; false and a message when the memory cannot be had.
    bool allocate(int canvasWidth, int canvasHeight, int frames, std::string& error);

    // Draws the next frame, 0xAARRGGBB pixels of the placement's size (stride in pixels), keeps
    // the composed canvas as its frame of the strip, then disposes of it as the placement says.
    void add(const FramePlacement& placement, const std::uint32_t* pixels, std::ptrdiff_t stride);
    int framesAdded() const { return m_added; }

    // Hands the strip to the picture, with one delay per frame.
    void handTo(LoadedPicture& picture, std::vector<int> delaysMs);

private:
    struct Area {
        int left, top, right, bottom; // right and bottom exclusive
    };
    Area clipped(const FramePlacement& placement) const;

    int m_width = 0;
    int m_height = 0;
    int m_frames = 0;
    int m_added = 0;
    std::shared_ptr<std::vector<std::uint32_t>> m_strip;
    std::vector<std::uint32_t> m_canvas;
    std::vector<std::uint32_t> m_saved;
};

// Asks the picture's admission for a strip of that many frames, the size of the animation's
// canvas, the largest frame of largestFramePixels; a strip far larger than a file of fileBytes
// could describe is refused as damaged.
bool admitStrip(const LoadedPicture& picture, int canvasWidth, int canvasHeight, int frames,
                std::uint64_t largestFramePixels, std::uint64_t fileBytes, std::string& error);

// A frame drawn over a pixel as PNG and WebP define it for pixels that are not premultiplied.
std::uint32_t blendOver(std::uint32_t source, std::uint32_t destination);

} // namespace rastix
