#include "convert/paletteset.h"

#include "encode/mapshape.h"
#include "encode/paletteoutputs.h"
#include "encode/setpalettes.h"
#include "output/outputnames.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

namespace rastix {

namespace {

PictureResult failed(const std::string& error) {
    PictureResult r;
    r.error = error;
    return r;
}

struct SetState {
    std::vector<std::size_t> members; // colour maps of the set, in argument order
    ColourCensus total;               // --shared-clut: every member's colours added up
    std::map<std::size_t, int> widths;
    std::map<std::size_t, BankRequest> requests; // --banks
};

// Counts the colours of every listed picture, `threads` at a time.
void countColours(const std::vector<std::size_t>& pictures, const std::vector<Job>& jobs,
                  const PictureLoader& loader, int threads, MemoryBudget& budget,
                  std::map<int, SetState>& sets, PaletteSetRun& run) {
    std::mutex mutex;
    std::size_t next = 0;
    std::uint64_t keptBytes = 0;
    const auto work = [&] {
        for (;;) {
            std::size_t i;
            {
                std::lock_guard lock(mutex);
                if (next >= pictures.size())
                    return;
                i = pictures[next++];
            }
            const Settings& s = jobs[i].settings;
            std::string error;
            std::optional<PictureColours> colours;
            std::optional<BankRequest> request;
            try {
                colours = takePictureColours(jobs[i], loader, 1, budget, error);
                if (colours && s.sharing == PaletteSharing::Banks)
                    request = bankRequest(colours->census, colours->width, s);
            } catch (const std::bad_alloc&) {
                error = "not enough memory to convert this picture";
            } catch (const std::exception& e) {
                error = e.what();
            }
            std::shared_ptr<KeptPicture> kept = colours ? std::move(colours->kept) : nullptr;
            std::lock_guard lock(mutex);
            if (kept && keptBytes + kept->bytes() <= budget.total() / 4) {
                keptBytes += kept->bytes();
                run.kept[i] = std::move(kept);
            }
            SetState& set = sets[s.paletteSet];
            if (!colours && error.empty())
                error = "its colours could not be counted";
            if (!error.empty()) {
                run.decided[i] = failed(error);
            } else if (request) {
                set.requests.emplace(i, std::move(*request));
            } else {
                set.total.add(colours->census);
                set.widths.emplace(i, colours->width);
            }
        }
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < std::max(1, std::min<int>(threads, static_cast<int>(pictures.size()))); ++t)
        workers.emplace_back(work);
    for (auto& w : workers)
        w.join();
}

// The set's palette words once its members' colours are known; each member that can use it is
// given its share of it.
std::vector<std::uint16_t> decideSet(SetState& set, const std::vector<std::size_t>& members,
                                     PaletteSetRun& run, std::string& description) {
    const Settings& first = run.jobs[members.front()].settings;
    const std::string pictures =
        std::to_string(members.size()) + (members.size() == 1 ? " picture" : " pictures");
    if (first.sharing == PaletteSharing::SharedClut) {
        std::shared_ptr<const PlannedPalette> planned;
        std::vector<std::uint16_t> words;
        if (first.givenPalette) { // each map is made with the given palette itself
            words = givenPaletteWords(*first.givenPalette, first);
        } else {
            std::vector<int> widths;
            for (const std::size_t m : members)
                widths.push_back(set.widths.at(m));
            planned = std::make_shared<PlannedPalette>(planSharedPalette(set.total, widths, first));
            words = planned->words;
            for (const std::size_t m : members)
                run.jobs[m].settings.planned = planned;
        }
        description = "shared CLUT of " + pictures + ", " + std::to_string(words.size()) +
                      " colours, " + modelDescription(first);
        return words;
    }
    std::vector<BankRequest> requests;
    std::bitset<256> reserved;
    for (const std::size_t m : members) {
        requests.push_back(set.requests.at(m));
        reserved |= run.jobs[m].settings.reservedEntries;
    }
    const BankPlan plan = planBanks(requests, reserved);
    std::size_t placed = 0;
    for (std::size_t k = 0; k < members.size(); ++k) {
        const std::size_t m = members[k];
        if (!plan.palettes[k]) {
            run.decided[m] = failed(
                "no bank of " + std::to_string(1 << requests[k].bits) + " entries is left for it " +
                "in the CLUT " + first.paletteSetName + " (256 entries, " +
                std::to_string(plan.banksUsed) + " banks taken by the pictures before it)");
            continue;
        }
        ++placed;
        run.jobs[m].settings.planned = std::make_shared<PlannedPalette>(*plan.palettes[k]);
    }
    description = "CLUT of " + std::to_string(plan.banksUsed) +
                  (plan.banksUsed == 1 ? " bank" : " banks") + " for " + std::to_string(placed) +
                  (placed == 1 ? " picture" : " pictures") + ", 256 entries, " +
                  modelDescription(first);
    return plan.clut;
}

} // namespace

PaletteSetRun planPaletteSets(const std::vector<Job>& jobs, const PictureLoader& loader,
                              int threads, MemoryBudget& budget) {
    PaletteSetRun run;
    run.jobs = jobs;
    const std::size_t n = jobs.size();
    run.decided.resize(n);
    run.setFilesBefore.resize(n);
    run.setOf.assign(n, 0);
    run.kept.resize(n);
    std::map<int, SetState> sets;
    for (std::size_t i = 0; i < n; ++i) {
        const Settings& s = jobs[i].settings;
        if (s.sharing != PaletteSharing::Own && s.colourMap)
            sets[s.paletteSet].members.push_back(i);
    }
    std::vector<std::size_t> toCount;
    for (auto& [id, set] : sets) {
        const Job& first = jobs[set.members.front()];
        PictureResult existing;
        // A set's palette that is there already keeps every map of the set from being made:
        // they would not match it.
        if (!outputsFreeFor(first, paletteSetPaths(first.settings), existing)) {
            for (const std::size_t m : set.members)
                run.decided[m] = existing;
            continue;
        }
        for (const std::size_t m : set.members) {
            PictureResult r;
            if (!outputsFreeFor(jobs[m], outputPaths(jobs[m].settings, jobs[m].picture), r))
                run.decided[m] = r;
            else if (!(first.settings.sharing == PaletteSharing::SharedClut &&
                       first.settings.givenPalette))
                toCount.push_back(m);
        }
    }
    countColours(toCount, jobs, loader, threads, budget, sets, run);
    for (auto& [id, set] : sets) {
        std::vector<std::size_t> members;
        for (const std::size_t m : set.members)
            if (!run.decided[m])
                members.push_back(m);
        if (members.empty())
            continue;
        PictureResult files;
        try {
            const std::vector<std::uint16_t> words =
                decideSet(set, members, run, files.description);
            files.files = paletteSetFiles(words, jobs[members.front()].settings, files.description);
        } catch (const std::exception& e) {
            for (const std::size_t m : members)
                run.decided[m] = failed(e.what());
            continue;
        }
        const auto firstPlaced = std::find_if(members.begin(), members.end(),
                                              [&](std::size_t m) { return !run.decided[m]; });
        if (firstPlaced == members.end())
            continue;
        run.setFilesBefore[*firstPlaced] = std::move(files);
        for (const std::size_t m : members)
            run.setOf[m] = id;
    }
    return run;
}

} // namespace rastix
