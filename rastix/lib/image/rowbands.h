#pragma once

#include "image/image.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace rastix {

// How many bands of rows a picture is worked on in: one per thread, but a small picture is not
// worth the threads.
inline int rowBandCount(const ImageView& image, int threads) {
    const long long pixels = static_cast<long long>(image.width) * image.height;
    threads = std::clamp(threads, 1, std::max(1, image.height));
    return pixels < 1 << 18 ? 1 : threads;
}

// Runs work(first, last, band) over rowBandCount(image, threads) bands of rows, each on its own
// thread; band 0 runs on the calling thread.
template <typename Work> void inRowBands(const ImageView& image, int threads, Work work) {
    const int bands = rowBandCount(image, threads);
    std::vector<std::thread> workers;
    for (int t = 1; t < bands; ++t)
        workers.emplace_back(work, image.height * t / bands, image.height * (t + 1) / bands, t);
    work(0, image.height / bands, 0);
    for (auto& w : workers)
        w.join();
}

} // namespace rastix
