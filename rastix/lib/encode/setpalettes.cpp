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

struct Bank {
    int bits = 4;
    int start = 0;
    bool transparentZero = false;
    std::vector<std::uint16_t> colours;
};

std::size_t sharedColours(const std::vector<std::uint16_t>& a,
                          const std::vector<std::uint16_t>& b) {
    return static_cast<std::size_t>(std::count_if(a.begin(), a.end(), [&](std::uint16_t w) {
        return std::find(b.begin(), b.end(), w) != b.end();
    }));
}

std::vector<std::uint16_t> joined(std::vector<std::uint16_t> a,
                                  const std::vector<std::uint16_t>& b) {
    for (const std::uint16_t w : b)
        if (std::find(a.begin(), a.end(), w) == a.end())
            a.push_back(w);
    return a;
}

std::vector<std::uint8_t> openEntries(const Bank& bank, bool transparentZero,
                                      const std::bitset<256>& reserved) {
    return usableIndices(bank.bits, std::size_t{1} << bank.bits, transparentZero, reserved,
                         bank.start);
}

// The bank of the request's depth that holds most of its colours and has room for the rest.
int bestBank(const std::vector<Bank>& banks, const BankRequest& r,
             const std::bitset<256>& reserved) {
    int best = -1;
    std::size_t bestShared = 0;
    for (std::size_t b = 0; b < banks.size(); ++b) {
        const Bank& bank = banks[b];
        if (bank.bits != r.bits ||
            joined(bank.colours, r.colours).size() >
                openEntries(bank, bank.transparentZero || r.transparentZero, reserved).size())
            continue;
        const std::size_t shared = sharedColours(r.colours, bank.colours);
        if (best < 0 || shared > bestShared) {
            best = static_cast<int>(b);
            bestShared = shared;
        }
    }
    return best;
}

} // namespace

BankPlan planBanks(const std::vector<BankRequest>& requests, const std::bitset<256>& reserved) {
    BankPlan plan;
    std::vector<Bank> banks;
    std::vector<int> bankOf;
    std::bitset<256> taken;
    for (const BankRequest& r : requests) {
        int best = bestBank(banks, r, reserved);
        const int size = 1 << r.bits;
        for (int start = 0; best < 0 && start + size <= 256; start += size) {
            bool free = true;
            for (int e = start; e < start + size; ++e)
                free = free && !taken[static_cast<std::size_t>(e)];
            const Bank bank{r.bits, start, r.transparentZero, {}};
            if (!free || r.colours.size() > openEntries(bank, r.transparentZero, reserved).size())
                continue;
            for (int e = start; e < start + size; ++e)
                taken.set(static_cast<std::size_t>(e));
            banks.push_back(bank);
            best = static_cast<int>(banks.size() - 1);
        }
        bankOf.push_back(best);
        if (best < 0)
            continue;
        Bank& bank = banks[static_cast<std::size_t>(best)];
        bank.colours = joined(bank.colours, r.colours);
        bank.transparentZero = bank.transparentZero || r.transparentZero;
    }
    // Every bank's colours in its open entries, in the order they came.
    std::vector<PlannedPalette> palettes;
    for (const Bank& bank : banks) {
        PlannedPalette p;
        p.bitsPerPixel = bank.bits;
        p.transparentIndexZero = bank.transparentZero;
        p.clutStart = bank.start;
        p.words.assign(std::size_t{1} << bank.bits, 0);
        const std::vector<std::uint8_t> open = openEntries(bank, bank.transparentZero, reserved);
        for (std::size_t k = 0; k < bank.colours.size(); ++k) {
            p.words[open[k]] = bank.colours[k];
            p.usable.push_back(open[k]);
            plan.clut[static_cast<std::size_t>(bank.start) + open[k]] = bank.colours[k];
        }
        palettes.push_back(std::move(p));
    }
    plan.banksUsed = static_cast<int>(banks.size());
    for (const int b : bankOf)
        plan.palettes.push_back(b < 0 ? std::nullopt
                                      : std::optional(palettes[static_cast<std::size_t>(b)]));
    return plan;
}

} // namespace rastix
