#include "palette/palette.h"

#include "palette/boxcut.h"
#include "palette/coarsening.h"
#include "palette/kmeans.h"
#include "palette/nearestcolour.h"
#include "palette/quantiser.h"
#include "palette/ramppalette.h"
#include "palette/weightedsum.h"
#include "palette/wordfeature.h"

#include <algorithm>
#include <utility>

namespace rastix {

namespace {

// Beyond this the centres of a photo hardly move and each pass costs as much as the cut.
constexpr int kKMeansPasses = 8;
// Fitted to the pixels' own colours, 256 centres keep moving a little for many passes; after
// five they no longer change PSNR or CIEDE2000 by a hundredth (bench/palette_quality.sh).
constexpr int kManyEntriesPasses = 5;
// With few entries a poorly placed one costs much and another k-means run little; two moves
// are where the photos of bench/palette_quality.sh stopped gaining.
constexpr std::size_t kFewEntries = 16;
constexpr int kMoves = 2;
// The second start sees at most this many points, merged into cells when the picture has more
// colours: that bounds its cost for any picture (a 320x240 photo within twice the time of the
// old median cut), while the colours of smaller ones are used as they are.
constexpr std::size_t kSecondStartPoints = 2048;
// Centres settled on the merged points are close already: two passes on the colours finish them.
constexpr int kSettlingPasses = 2;
// Passes over RGB16 words: on the pictures of bench/palette_quality.sh a third changes nothing.
constexpr int kWordPasses = 2;

// k-means whose centres are words, the entries that are shown: each pass moves an entry to the
// word nearest the mean of the colours it serves. Rounding the centres to words moves them by up
// to half a step, as much as the error of a map of 16 entries; these passes let the entries
// settle again. RGB16 words form a grid, so the nearest word serves the colours best and no
// pass makes the map worse. With no passes the centres are only rounded. error, when given,
// receives the weighted squared distance of every point to its nearest word of the result.
void settleOnWords(const std::vector<WeightedPoint>& points, std::vector<ColourPoint>& centres,
                   const Settings& settings, int passes, std::int64_t* error = nullptr) {
    for (ColourPoint& c : centres)
        c = wordFeature(wordFromFeature(c, settings), settings);
    std::vector<std::size_t> owner(points.size(), centres.size());
    // One round more than the passes when the error of the last words is wanted.
    for (int pass = 0; pass <= passes && !centres.empty(); ++pass) {
        if (pass == passes && !error)
            break;
        const NearestFinder nearest(centres);
        std::vector<WeightedSum> sums(centres.size());
        std::int64_t total = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            owner[i] = nearest(points[i].point, owner[i]);
            sums[owner[i]].add(points[i]);
            total += static_cast<std::int64_t>(points[i].weight) *
                     squaredDistance(centres[owner[i]], points[i].point);
        }
        if (error)
            *error = total;
        if (pass == passes)
            break;
        bool moved = false;
        for (std::size_t c = 0; c < centres.size(); ++c) {
            if (sums[c].empty())
                continue;
            const ColourPoint word =
                wordFeature(wordFromFeature(sums[c].mean(), settings), settings);
            moved |= word != centres[c];
            centres[c] = word;
        }
        if (!moved)
            break;
    }
}

} // namespace

std::vector<std::uint16_t> choosePaletteWords(const std::vector<std::uint16_t>& distinct,
                                              const std::vector<std::uint64_t>& histogram,
                                              std::size_t entries, const Settings& settings,
                                              const std::vector<ColourPoint>& sourceColours) {
    std::vector<WeightedPoint> points;
    points.reserve(distinct.size());
    for (std::size_t i = 0; i < distinct.size(); ++i)
        points.push_back(
            {sourceColours.empty() ? wordFeature(distinct[i], settings) : sourceColours[i],
             histogram[distinct[i]]});
    if (std::vector<std::uint16_t> ramp = rampPaletteWords(distinct, points, entries, settings);
        !ramp.empty())
        return ramp;
    // k-means only finds a local optimum, and with few entries another start sometimes lands in
    // a clearly better one. Median cut splits by extent rather than error, so it starts far
    // enough away. RGB16 maps compare the starts by the words they round to, which are what is
    // shown: the centres nearer the colours can round to words farther from them.
    const bool secondStart = entries <= kFewEntries;
    const bool byWords = settings.model == ColourModel::Rgb16;
    std::int64_t error = 0;
    std::vector<ColourPoint> centres = refineByMovingCentres(
        points, varianceCut(points, entries), secondStart ? kKMeansPasses : kManyEntriesPasses,
        secondStart ? kMoves : 0, secondStart && !byWords ? &error : nullptr);
    if (secondStart) {
        const std::vector<WeightedPoint> cells = coarsenedTo(points, kSecondStartPoints);
        const bool merged = cells.size() < points.size();
        std::int64_t otherError = 0;
        std::vector<ColourPoint> other =
            refineByMovingCentres(cells, medianCut(cells, entries), kKMeansPasses, kMoves,
                                  merged || byWords ? nullptr : &otherError);
        if (merged)
            other = refineByMovingCentres(points, std::move(other), kSettlingPasses, 0,
                                          byWords ? nullptr : &otherError);
        if (byWords) {
            settleOnWords(points, centres, settings, 0, &error);
            settleOnWords(points, other, settings, 0, &otherError);
        }
        if (otherError < error)
            centres = std::move(other);
    }
    if (byWords)
        settleOnWords(points, centres, settings, kWordPasses);

    std::vector<std::uint16_t> words;
    std::vector<bool> taken(65536, false);
    for (const ColourPoint& c : centres) {
        const std::uint16_t w = wordFromFeature(c, settings);
        if (!taken[w]) {
            taken[w] = true;
            words.push_back(w);
        }
    }

    const std::size_t wanted = std::min(entries, distinct.size());
    if (words.size() >= wanted)
        return words;
    // Two centres gave the same word: fill the places with the words that the palette serves
    // worst, weighted by how often they occur.
    std::vector<ColourPoint> features;
    for (const std::uint16_t w : words)
        features.push_back(wordFeature(w, settings));
    const NearestFinder nearest(features);
    std::vector<std::uint64_t> cost(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto d = static_cast<std::uint64_t>(
            squaredDistance(features[nearest(points[i].point)], points[i].point));
        cost[i] = taken[distinct[i]] ? 0 : d * points[i].weight;
    }
    while (words.size() < wanted) {
        std::size_t worst =
            static_cast<std::size_t>(std::max_element(cost.begin(), cost.end()) - cost.begin());
        // Words left at no cost look exactly like an entry (in CRY several words can show the
        // same colour); one of them still makes the palette as long as it may be.
        if (cost[worst] == 0)
            while (taken[distinct[worst]])
                worst = (worst + 1) % distinct.size();
        const std::uint16_t w = distinct[worst];
        taken[w] = true;
        words.push_back(w);
        const ColourPoint added = wordFeature(w, settings);
        for (std::size_t i = 0; i < points.size(); ++i) {
            const auto d = static_cast<std::uint64_t>(squaredDistance(added, points[i].point));
            cost[i] = taken[distinct[i]] ? 0 : std::min(cost[i], d * points[i].weight);
        }
    }
    return words;
}

} // namespace rastix
