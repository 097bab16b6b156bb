#include "palette/kmeans.h"

#include "palette/nearestcolour.h"
#include "palette/weightedsum.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace rastix {

namespace {

// Whether FewCentres measures these points exactly against these centres and any others that
// k-means makes of them: means of the points, or a centre moved by a cluster's standard
// deviation, which stay within twice kExactInFloat.
bool fitsFloats(const std::vector<WeightedPoint>& points, const std::vector<ColourPoint>& centres) {
    const auto inside = [](const ColourPoint& p) {
        return channelsWithin(p, kExactInFloat);
    };
    return std::all_of(points.begin(), points.end(),
                       [&](const WeightedPoint& p) { return inside(p.point); }) &&
           std::all_of(centres.begin(), centres.end(), inside);
}

// Up to this many centres all are measured; past it the sorted search of NearestFinder wins.
constexpr std::size_t kFewCentres = 16;

// Every centre that attracts points moves to their mean; the others stay.
void moveCentres(const std::vector<WeightedSum>& sums, std::vector<ColourPoint>& centres) {
    for (std::size_t c = 0; c < centres.size(); ++c)
        if (!sums[c].empty())
            centres[c] = sums[c].mean();
}

struct Cluster {
    WeightedSum points;
    std::array<std::int64_t, 3> squares{}; // for the spread along each axis
    std::int64_t error = 0; // weighted squared distance of its points to their centre

    // Adds p, pointError being its weighted squared distance to the centre. Channel by channel,
    // as WeightedSum adds, so that the products are shared.
    void add(const WeightedPoint& p, std::int64_t pointError) {
        const auto w = static_cast<std::int64_t>(p.weight);
        points.add(p);
        squares[0] += w * p.point[0] * p.point[0];
        squares[1] += w * p.point[1] * p.point[1];
        squares[2] += w * p.point[2] * p.point[2];
        error += pointError;
    }
};

// Lloyd's k-means for few centres, after Hamerly: each point keeps its nearest centre (its
// owner), an upper bound on the distance to it and a lower bound on the distance to every other
// centre, both moved by how far the centres move. While the first is below the second (or below
// half the distance from the owner to the next centre) the point cannot change owner and is not
// searched: after the first passes most are not. The bounds only skip searches that could not
// change the answer, with a margin far above any rounding, so the centres are exactly those of
// plain passes, on every platform. The sums of each centre's points follow the owners, so a
// centre's new place costs nothing to find.
template <std::size_t N> class BoundedKMeans {
public:
    BoundedKMeans(const std::vector<WeightedPoint>& points, std::vector<ColourPoint> centres)
        : m_points(&points)
        , m_centres(std::move(centres))
        , m_owner(points.size(), 0)
        , m_upper(points.size(), 0)
        , m_lower(points.size(), 0)
        , m_sums(m_centres.size()) {
        const FewCentres<N> nearest(m_centres);
        for (std::size_t i = 0; i < points.size(); ++i) {
            search(i, nearest);
            m_sums[m_owner[i]].add(points[i]);
        }
    }

    // Counted as refineByKMeans counts them; afterwards every owner is the nearest of the
    // centres reached.
    void run(int passes) {
        for (int pass = 0; pass < passes; ++pass) {
            if (pass > 0 && !m_changed)
                break;
            const std::vector<ColourPoint> before = m_centres;
            moveCentres(m_sums, m_centres);
            reassignAfterMoves(before);
        }
    }

    // Puts two centres elsewhere, far perhaps: only the points they owned, or that the new
    // places come nearer to than every other centre may be, are searched again.
    void replace(std::size_t a, const ColourPoint& atA, std::size_t b, const ColourPoint& atB) {
        m_centres[a] = atA;
        m_centres[b] = atB;
        const FewCentres<N> nearest(m_centres);
        m_changed = false;
        for (std::size_t i = 0; i < m_owner.size(); ++i) {
            const ColourPoint& p = (*m_points)[i].point;
            const std::uint32_t c = m_owner[i];
            if (c != a && c != b) {
                const double closest = std::sqrt(static_cast<double>(
                    std::min(squaredDistance(atA, p), squaredDistance(atB, p))));
                m_lower[i] = std::min(m_lower[i], closest);
                if (m_upper[i] < m_lower[i] - kMargin)
                    continue;
            }
            reassign(i, nearest);
        }
    }

    const std::vector<ColourPoint>& centres() const { return m_centres; }

    std::vector<Cluster> clusters(std::int64_t& total) const {
        std::vector<Cluster> clusters(m_centres.size());
        total = 0;
        for (std::size_t i = 0; i < m_owner.size(); ++i) {
            const WeightedPoint& p = (*m_points)[i];
            const std::int64_t e = static_cast<std::int64_t>(p.weight) *
                                   squaredDistance(m_centres[m_owner[i]], p.point);
            clusters[m_owner[i]].add(p, e);
            total += e;
        }
        return clusters;
    }

private:
    static constexpr double kMargin = 1e-6;

    void search(std::size_t i, const FewCentres<N>& nearest) {
        const typename FewCentres<N>::Nearest n = nearest((*m_points)[i].point);
        m_owner[i] = static_cast<std::uint32_t>(n.index);
        m_upper[i] = std::sqrt(static_cast<double>(n.distance));
        m_lower[i] = std::sqrt(static_cast<double>(n.second));
    }

    void reassign(std::size_t i, const FewCentres<N>& nearest) {
        const std::uint32_t before = m_owner[i];
        search(i, nearest);
        if (m_owner[i] != before) {
            m_changed = true;
            m_sums[before].remove((*m_points)[i]);
            m_sums[m_owner[i]].add((*m_points)[i]);
        }
    }

    void reassignAfterMoves(const std::vector<ColourPoint>& before) {
        const std::size_t k = m_centres.size();
        std::vector<double> shift(k, 0);
        std::vector<double> half(k, 0);
        double farthest = 0;           // the largest shift of any centre
        double secondFarthest = 0;     // the largest of the others
        std::size_t farthestMover = 0; // whose shift is the largest
        for (std::size_t c = 0; c < k; ++c) {
            shift[c] = std::sqrt(static_cast<double>(squaredDistance(before[c], m_centres[c])));
            if (shift[c] > farthest) {
                secondFarthest = farthest;
                farthest = shift[c];
                farthestMover = c;
            } else if (shift[c] > secondFarthest) {
                secondFarthest = shift[c];
            }
            int closest = std::numeric_limits<int>::max();
            for (std::size_t o = 0; o < k; ++o)
                if (o != c)
                    closest = std::min(closest, squaredDistance(m_centres[c], m_centres[o]));
            half[c] = k < 2 ? 0 : std::sqrt(static_cast<double>(closest)) / 2;
        }
        const FewCentres<N> nearest(m_centres);
        m_changed = false;
        for (std::size_t i = 0; i < m_owner.size(); ++i) {
            const std::uint32_t c = m_owner[i];
            m_upper[i] += shift[c];
            m_lower[i] -= c == farthestMover ? secondFarthest : farthest;
            const double bound = std::max(m_lower[i], half[c]) - kMargin;
            if (m_upper[i] < bound)
                continue;
            m_upper[i] =
                std::sqrt(static_cast<double>(squaredDistance(m_centres[c], (*m_points)[i].point)));
            if (m_upper[i] < bound)
                continue;
            reassign(i, nearest);
        }
    }

    const std::vector<WeightedPoint>* m_points;
    std::vector<ColourPoint> m_centres;
    std::vector<std::uint32_t> m_owner;
    std::vector<double> m_upper;
    std::vector<double> m_lower;
    std::vector<WeightedSum> m_sums; // of the points each centre owns
    bool m_changed = true;
};

// Plain passes over many centres, each point found by the sorted search.
std::vector<ColourPoint> plainKMeans(const std::vector<WeightedPoint>& points,
                                     std::vector<ColourPoint> centres, int passes) {
    std::vector<std::size_t> owner(points.size(), 0);
    for (int pass = 0; pass < passes && !centres.empty(); ++pass) {
        const NearestFinder nearest(centres);
        std::vector<WeightedSum> sums(centres.size());
        bool moved = pass == 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const std::size_t c = nearest(points[i].point, pass == 0 ? centres.size() : owner[i]);
            moved |= c != owner[i];
            owner[i] = c;
            sums[c].add(points[i]);
        }
        if (!moved)
            break;
        moveCentres(sums, centres);
    }
    return centres;
}

std::vector<Cluster> clustersOf(const std::vector<WeightedPoint>& points,
                                const std::vector<ColourPoint>& centres, std::int64_t& total) {
    std::vector<Cluster> clusters(centres.size());
    total = 0;
    const NearestFinder nearest(centres);
    for (const WeightedPoint& p : points) {
        const std::size_t c = nearest(p.point);
        const std::int64_t e =
            static_cast<std::int64_t>(p.weight) * squaredDistance(centres[c], p.point);
        clusters[c].add(p, e);
        total += e;
    }
    return clusters;
}

// The centre that costs least to give up: merged into its nearest neighbour, its cluster's
// error grows by Ward's measure, w1 w2 / (w1 + w2) times the squared distance.
std::size_t cheapestCentre(const std::vector<ColourPoint>& centres,
                           const std::vector<Cluster>& clusters) {
    std::size_t cheapest = 0;
    double lowest = 1e300;
    for (std::size_t i = 0; i < centres.size(); ++i) {
        double cost = 0;
        if (!clusters[i].points.empty()) {
            int nearest = 1 << 30;
            std::size_t neighbour = i;
            for (std::size_t j = 0; j < centres.size(); ++j)
                if (j != i && squaredDistance(centres[i], centres[j]) < nearest) {
                    nearest = squaredDistance(centres[i], centres[j]);
                    neighbour = j;
                }
            const auto wi = static_cast<double>(clusters[i].points.weight);
            const auto wj = static_cast<double>(clusters[neighbour].points.weight);
            cost = wi * wj / (wi + wj) * nearest;
        }
        if (cost < lowest) {
            lowest = cost;
            cheapest = i;
        }
    }
    return cheapest;
}

// The same steps as BoundedKMeans, each point searched among all centres in every pass.
class PlainKMeans {
public:
    PlainKMeans(const std::vector<WeightedPoint>& points, std::vector<ColourPoint> centres)
        : m_points(&points)
        , m_centres(std::move(centres)) {}
    void run(int passes) { m_centres = plainKMeans(*m_points, std::move(m_centres), passes); }
    void replace(std::size_t a, const ColourPoint& atA, std::size_t b, const ColourPoint& atB) {
        m_centres[a] = atA;
        m_centres[b] = atB;
    }
    const std::vector<ColourPoint>& centres() const { return m_centres; }
    std::vector<Cluster> clusters(std::int64_t& total) const {
        return clustersOf(*m_points, m_centres, total);
    }

private:
    const std::vector<WeightedPoint>* m_points;
    std::vector<ColourPoint> m_centres;
};

template <typename KMeans>
std::vector<ColourPoint> movingCentres(KMeans kmeans, int passes, int tries,
                                       std::int64_t* finalError) {
    kmeans.run(passes);
    if (kmeans.centres().size() < 2 || tries == 0) {
        if (finalError)
            kmeans.clusters(*finalError);
        return kmeans.centres();
    }
    std::int64_t error = 0;
    std::vector<Cluster> clusters = kmeans.clusters(error);
    for (int t = 0; t < tries; ++t) {
        const auto worst = static_cast<std::size_t>(
            std::max_element(clusters.begin(), clusters.end(),
                             [](const Cluster& a, const Cluster& b) { return a.error < b.error; }) -
            clusters.begin());
        const std::size_t cheapest = cheapestCentre(kmeans.centres(), clusters);
        const Cluster& split = clusters[worst];
        if (cheapest == worst || split.points.weight < 2)
            break;
        // The worst cluster gets two centres, a standard deviation either side of its mean along
        // its widest axis: where k-means would put them if it split the cluster in two.
        const auto w = static_cast<double>(split.points.weight);
        int axis = 0;
        double widest = -1;
        for (int a = 0; a < 3; ++a) {
            const double mean = static_cast<double>(split.points.sum[a]) / w;
            const double variance = static_cast<double>(split.squares[a]) / w - mean * mean;
            if (variance > widest) {
                widest = variance;
                axis = a;
            }
        }
        const int deviation = std::max(1, static_cast<int>(std::sqrt(std::max(0.0, widest))));
        ColourPoint atWorst = kmeans.centres()[worst];
        ColourPoint atCheapest = atWorst;
        atWorst[axis] -= deviation;
        atCheapest[axis] += deviation;
        KMeans trial = kmeans;
        trial.replace(worst, atWorst, cheapest, atCheapest);
        // Only the centres near the move have far to go: half the passes settle them.
        trial.run(std::max(1, passes / 2));
        std::int64_t trialError = 0;
        std::vector<Cluster> trialClusters = trial.clusters(trialError);
        // A gain below a percent is lost again when the centres become words.
        if (trialError >= error - error / 100)
            break;
        kmeans = std::move(trial);
        clusters = std::move(trialClusters);
        error = trialError;
    }
    if (finalError)
        *finalError = error;
    return kmeans.centres();
}

} // namespace

std::vector<ColourPoint> refineByKMeans(const std::vector<WeightedPoint>& points,
                                        std::vector<ColourPoint> centres, int passes) {
    return refineByMovingCentres(points, std::move(centres), passes, 0);
}

std::vector<ColourPoint> refineByMovingCentres(const std::vector<WeightedPoint>& points,
                                               std::vector<ColourPoint> centres, int passes,
                                               int tries, std::int64_t* error) {
    if (error)
        *error = 0;
    if (centres.empty())
        return centres;
    if (!fitsFloats(points, centres))
        return movingCentres(PlainKMeans(points, std::move(centres)), passes, tries, error);
    if (centres.size() <= 4)
        return movingCentres(BoundedKMeans<4>(points, std::move(centres)), passes, tries, error);
    if (centres.size() <= kFewCentres)
        return movingCentres(BoundedKMeans<kFewCentres>(points, std::move(centres)), passes, tries,
                             error);
    return movingCentres(PlainKMeans(points, std::move(centres)), passes, tries, error);
}

} // namespace rastix
