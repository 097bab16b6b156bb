#include "palette/perceptual.h"

#include <array>
#include <cmath>

namespace rastix {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The positive root r of r^n = x for 0 < x <= 1, by Newton's method from 1: from above the
// steps fall monotonically onto the root, and the first step that no longer falls ends it.
double rootBelowOne(double x, int n) {
    double r = 1.0;
    for (int i = 0; i < 200; ++i) {
        double power = 1.0; // r^(n-1)
        for (int k = 1; k < n; ++k)
            power *= r;
        const double next = r - (power * r - x) / (n * power);
        if (!(next < r))
            break;
        r = next;
    }
    return r;
}

// sRGB level to linear light: ((c + 0.055) / 1.055)^2.4, with y^2.4 = y^2 * (y^2)^(1/5).
const std::array<double, 256>& linearLevels() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            if (c <= 0.04045) {
                t[v] = c / 12.92;
            } else {
                const double y = (c + 0.055) / 1.055;
                t[v] = y * y * rootBelowOne(y * y, 5);
            }
        }
        return t;
    }();
    return table;
}

double labCurve(double t) {
    constexpr double kEpsilon = 216.0 / 24389.0, kKappa = 24389.0 / 27.0;
    return t > kEpsilon ? rootBelowOne(t, 3) : (kKappa * t + 16.0) / 116.0;
}

// The weight of chroma c in the formula: sqrt(c^7 / (c^7 + 25^7)).
double chromaWeight(double c) {
    const double c2 = c * c, c7 = c2 * c2 * c2 * c;
    constexpr double k25To7 = 6103515625.0;
    return std::sqrt(c7 / (c7 + k25To7));
}

// Series that converge fast on the small arguments they get here, summed by Horner's rule with
// coefficients worked out by the compiler.
template <int N, typename Term> constexpr std::array<double, N> coefficients(Term term) {
    std::array<double, N> c{};
    for (int k = 0; k < N; ++k)
        c[k] = term(k);
    return c;
}
template <std::size_t N> double horner(const std::array<double, N>& c, double x) {
    double sum = c[N - 1];
    for (std::size_t k = N - 1; k-- > 0;)
        sum = sum * x + c[k];
    return sum;
}
constexpr double factorial(int n) {
    return n <= 1 ? 1.0 : n * factorial(n - 1);
}
constexpr auto kExp = coefficients<16>([](int k) { return 1.0 / factorial(k); });
constexpr auto kSine =
    coefficients<10>([](int k) { return (k % 2 ? -1.0 : 1.0) / factorial(2 * k + 1); });
constexpr auto kArcTangent =
    coefficients<10>([](int k) { return (k % 2 ? -1.0 : 1.0) / (2 * k + 1); });

double expOfNegative(double v) { // e^-v for 0 <= v <= 30: (e^(-v/64))^64
    double e = horner(kExp, -v / 64);
    for (int k = 0; k < 6; ++k)
        e *= e;
    return e;
}
double sineOfSmall(double x) { // |x| <= 1.1 radians
    return x * horner(kSine, x * x);
}
// The angle of (x, y) in degrees, 0..360: halving the tangent twice leaves an argument below
// tan(pi/16), where the series is exact to double precision in 10 terms.
double angleDegrees(double y, double x) {
    const double ax = x < 0 ? -x : x, ay = y < 0 ? -y : y;
    const bool steep = ay > ax;
    double t = steep ? ax / ay : ay / ax; // 0..1
    for (int k = 0; k < 2; ++k)
        t = t / (1 + std::sqrt(1 + t * t));
    double angle = 4 * t * horner(kArcTangent, t * t) * (180 / kPi); // 0..45
    if (steep)
        angle = 90 - angle;
    if (x < 0)
        angle = 180 - angle;
    if (y < 0)
        angle = 360 - angle;
    return angle >= 360 ? angle - 360 : angle;
}

} // namespace

Lab labOf(int red, int green, int blue) {
    const std::array<double, 256>& lin = linearLevels();
    const double r = lin[red & 255], g = lin[green & 255], b = lin[blue & 255];
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const double fx = labCurve(x), fy = labCurve(y), fz = labCurve(z);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

double ciede2000(const Lab& p, const Lab& q) {
    const double c1 = std::sqrt(p.a * p.a + p.b * p.b), c2 = std::sqrt(q.a * q.a + q.b * q.b);
    const double g = 0.5 * (1 - chromaWeight((c1 + c2) / 2));
    const double a1 = (1 + g) * p.a, a2 = (1 + g) * q.a;
    const double cp1 = std::sqrt(a1 * a1 + p.b * p.b), cp2 = std::sqrt(a2 * a2 + q.b * q.b);
    const double dL = q.lightness - p.lightness, dC = cp2 - cp1;

    // Hue difference and mean hue from the hue directions themselves: the hue difference on
    // the shorter arc has 2 sin^2(dh/2) = 1 - cos dh, and the mean hue on that arc is the
    // direction of the sum of the two unit vectors.
    double dH = 0, cosMean = 1, sinMean = 0;
    if (cp1 * cp2 != 0) {
        const double dot = a1 * a2 + p.b * q.b, cross = a1 * q.b - p.b * a2;
        const double squared = 2 * (cp1 * cp2 - dot);
        dH = std::sqrt(squared > 0 ? squared : 0);
        if (cross < 0)
            dH = -dH;
        double mx = a1 / cp1 + a2 / cp2, my = p.b / cp1 + q.b / cp2;
        const double length = std::sqrt(mx * mx + my * my);
        if (length == 0) { // opposite hues: the formula's mean lies a quarter turn on
            mx = -p.b / cp1;
            my = a1 / cp1;
        } else {
            mx /= length;
            my /= length;
        }
        cosMean = mx;
        sinMean = my;
    } else if (cp1 + cp2 != 0) { // one colour has no hue: the other's counts
        const double a = cp1 != 0 ? a1 : a2, b = cp1 != 0 ? p.b : q.b, c = cp1 + cp2;
        cosMean = a / c;
        sinMean = b / c;
    }
    // T's cosines of multiples of the mean hue, by the angle-sum rules.
    const double cos2 = cosMean * cosMean - sinMean * sinMean, sin2 = 2 * sinMean * cosMean;
    const double cos3 = cos2 * cosMean - sin2 * sinMean, sin3 = sin2 * cosMean + cos2 * sinMean;
    const double cos4 = cos2 * cos2 - sin2 * sin2, sin4 = 2 * sin2 * cos2;
    constexpr double kCos30 = 0.86602540378443865, kSin30 = 0.5;
    constexpr double kCos6 = 0.99452189536827334, kSin6 = 0.10452846326765347;
    constexpr double kCos63 = 0.45399049973954675, kSin63 = 0.89100652418836787;
    const double t = 1 - 0.17 * (cosMean * kCos30 + sinMean * kSin30) + 0.24 * cos2 +
                     0.32 * (cos3 * kCos6 - sin3 * kSin6) - 0.20 * (cos4 * kCos63 + sin4 * kSin63);

    const double cpMean = (cp1 + cp2) / 2;
    // The rotation term matters only for blue hues: exp(-((h - 275) / 25)^2) is below e^-30,
    // 1e-13, from 137 degrees away.
    double rt = 0;
    if (cp1 + cp2 != 0) {
        const double hMean = angleDegrees(sinMean, cosMean);
        const double u = (hMean - 275) / 25;
        if (u * u < 30) {
            const double dTheta = 30 * expOfNegative(u * u);
            rt = -sineOfSmall(2 * dTheta * kPi / 180) * 2 * chromaWeight(cpMean);
        }
    }
    const double lMean = (p.lightness + q.lightness) / 2, l50 = (lMean - 50) * (lMean - 50);
    const double sl = 1 + 0.015 * l50 / std::sqrt(20 + l50);
    const double sc = 1 + 0.045 * cpMean, sh = 1 + 0.015 * cpMean * t;
    const double l = dL / sl, c = dC / sc, h = dH / sh;
    const double sum = l * l + c * c + h * h + rt * c * h;
    return std::sqrt(sum > 0 ? sum : 0);
}

} // namespace rastix
