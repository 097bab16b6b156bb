#include "encode/setpalettes.h"

#include "encode/mapshape.h"
#include "encode/pictureencoder.h"

#include <algorithm>

namespace rastix {

PlannedPalette planSharedPalette(const ColourCensus& total, const std::vector<int>& widths,
                                 const Settings& first) {
    MapRules rules = mapRulesFor(first, 0, total.pixels(ColourCensus::kTransparent) != 0);
    rules.widths = widths;
    return choosePalette(total, rules, first).palette;
}

BankRequest bankRequest(const ColourCensus& census, int width, const Settings& settings) {
    // Chosen as for bank 0, which every depth up to 4 bits has; the reserved entries are the
    // banks' to keep clear of.
    Settings own = settings;
    own.bank = 0;
    own.reservedEntries.reset();
    const MapRules rules = mapRulesFor(own, width, census.pixels(ColourCensus::kTransparent) != 0);
    ChosenPalette chosen = choosePalette(census, rules, own);
    return {std::move(chosen.colours), chosen.palette.bitsPerPixel,
            chosen.palette.transparentIndexZero};
}

namespace {

// What each entry of the CLUT holds while the banks are made.
struct Entry {
    enum class Use { Free, Reserved, Transparent, Colour } use = Use::Free;
    std::uint16_t word = 0;
};

using Clut = std::vector<Entry>;

// How a request would sit in the block of its size at `start`: the colours it finds there
// already, or -1 when it does not fit (a colour or reserved entry where its transparent value
// 0 must go, or too few free entries for its other colours).
int fit(const Clut& clut, int start, const BankRequest& r) {
    const int size = 1 << r.bits;
    const Entry& first = clut[static_cast<std::size_t>(start)];
    if (r.transparentZero && first.use != Entry::Use::Free &&
        first.use != Entry::Use::Transparent && first.use != Entry::Use::Reserved)
        return -1;
    int found = 0;
    int free = 0;
    for (int e = start; e < start + size; ++e) {
        const Entry& entry = clut[static_cast<std::size_t>(e)];
        if (entry.use == Entry::Use::Free && !(e == start && r.transparentZero))
            ++free;
        else if (entry.use == Entry::Use::Colour &&
                 std::find(r.colours.begin(), r.colours.end(), entry.word) != r.colours.end())
            ++found;
    }
    return static_cast<int>(r.colours.size()) - found <= free ? found : -1;
}

// Whether the 16 entries around a block hold a bank already: a small bank put there takes no
// room a bank of 16 could have had.
bool inUse(const Clut& clut, int start) {
    const auto first = clut.begin() + (start & ~15);
    return std::any_of(first, first + 16, [](const Entry& e) {
        return e.use == Entry::Use::Colour || e.use == Entry::Use::Transparent;
    });
}

// Puts the request's missing colours into the block's free entries, the first entry last, so
// that it stays open for a later map's transparent pixels as long as it can.
void place(Clut& clut, int start, const BankRequest& r) {
    const int size = 1 << r.bits;
    if (r.transparentZero && clut[static_cast<std::size_t>(start)].use == Entry::Use::Free)
        clut[static_cast<std::size_t>(start)].use = Entry::Use::Transparent;
    for (const std::uint16_t w : r.colours) {
        const auto there = [&](const Entry& e) {
            return e.use == Entry::Use::Colour && e.word == w;
        };
        if (std::any_of(clut.begin() + start, clut.begin() + start + size, there))
            continue;
        for (int k = 1; k <= size; ++k) {
            Entry& e = clut[static_cast<std::size_t>(start + k % size)];
            if (e.use == Entry::Use::Free) {
                e = {Entry::Use::Colour, w};
                break;
            }
        }
    }
}

} // namespace

BankPlan planBanks(const std::vector<BankRequest>& requests, const std::bitset<256>& reserved) {
    BankPlan plan;
    Clut clut(256);
    for (std::size_t e = 0; e < 256; ++e)
        if (reserved[e])
            clut[e].use = Entry::Use::Reserved;
    std::vector<int> startOf;
    std::vector<std::pair<int, int>> blocks; // start, bits: the banks taken
    for (const BankRequest& r : requests) {
        // The block that holds most of its colours; then one in use already, so that as few
        // banks as can be are taken; then the lowest.
        const int size = 1 << r.bits;
        int best = -1;
        int bestFound = -1;
        bool bestInUse = false;
        for (int start = 0; start + size <= 256; start += size) {
            const int found = fit(clut, start, r);
            if (found < 0)
                continue;
            const bool used = inUse(clut, start);
            if (found > bestFound || (found == bestFound && used && !bestInUse)) {
                best = start;
                bestFound = found;
                bestInUse = used;
            }
        }
        startOf.push_back(best);
        if (best < 0)
            continue;
        place(clut, best, r);
        if (std::find(blocks.begin(), blocks.end(), std::pair{best, r.bits}) == blocks.end())
            blocks.emplace_back(best, r.bits);
    }
    for (std::size_t e = 0; e < 256; ++e)
        if (clut[e].use == Entry::Use::Colour)
            plan.clut[e] = clut[e].word;
    plan.banksUsed = static_cast<int>(blocks.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (startOf[i] < 0) {
            plan.palettes.emplace_back();
            continue;
        }
        // Each map may take any colour its bank holds, its own and the others' alike.
        PlannedPalette p;
        p.bitsPerPixel = requests[i].bits;
        p.clutStart = startOf[i];
        const auto first = static_cast<std::size_t>(startOf[i]);
        p.transparentIndexZero =
            requests[i].transparentZero || clut[first].use == Entry::Use::Transparent;
        for (std::size_t k = 0; k < (std::size_t{1} << p.bitsPerPixel); ++k) {
            p.words.push_back(plan.clut[first + k]);
            if (clut[first + k].use == Entry::Use::Colour)
                p.usable.push_back(static_cast<std::uint8_t>(k));
        }
        plan.palettes.push_back(std::move(p));
    }
    return plan;
}

} // namespace rastix
