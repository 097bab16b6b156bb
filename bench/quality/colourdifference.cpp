#include "colourdifference.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace quality {

namespace {

struct Lab {
    double l, a, b;
};

double linear(int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Lab toLab(const Colour& c) {
    const double r = linear(c.red), g = linear(c.green), b = linear(c.blue);
    // sRGB primaries, D65 white.
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const auto f = [](double t) {
        return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0;
    };
    return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

// Sharma, Wu and Dalal, "The CIEDE2000 color-difference formula: implementation notes".
double ciede2000(const Lab& p, const Lab& q) {
    constexpr double kPi = 3.14159265358979323846;
    const auto deg = [](double r) {
        return r * 180.0 / kPi;
    };
    const auto rad = [](double d) {
        return d * kPi / 180.0;
    };
    const double c1 = std::hypot(p.a, p.b), c2 = std::hypot(q.a, q.b);
    const double cMean = (c1 + c2) / 2;
    const double c7 = std::pow(cMean, 7);
    const double g = 0.5 * (1 - std::sqrt(c7 / (c7 + std::pow(25.0, 7))));
    const double a1 = (1 + g) * p.a, a2 = (1 + g) * q.a;
    const double cp1 = std::hypot(a1, p.b), cp2 = std::hypot(a2, q.b);
    const auto hue = [&](double b, double a) {
        if (a == 0 && b == 0)
            return 0.0;
        const double h = deg(std::atan2(b, a));
        return h < 0 ? h + 360 : h;
    };
    const double h1 = hue(p.b, a1), h2 = hue(q.b, a2);
    const double dL = q.l - p.l, dC = cp2 - cp1;
    double dh = 0;
    if (cp1 * cp2 != 0) {
        dh = h2 - h1;
        if (dh > 180)
            dh -= 360;
        else if (dh < -180)
            dh += 360;
    }
    const double dH = 2 * std::sqrt(cp1 * cp2) * std::sin(rad(dh / 2));
    const double lMean = (p.l + q.l) / 2, cpMean = (cp1 + cp2) / 2;
    double hMean = h1 + h2;
    if (cp1 * cp2 != 0) {
        if (std::abs(h1 - h2) <= 180)
            hMean = (h1 + h2) / 2;
        else
            hMean = h1 + h2 < 360 ? (h1 + h2 + 360) / 2 : (h1 + h2 - 360) / 2;
    }
    const double t = 1 - 0.17 * std::cos(rad(hMean - 30)) + 0.24 * std::cos(rad(2 * hMean)) +
                     0.32 * std::cos(rad(3 * hMean + 6)) - 0.20 * std::cos(rad(4 * hMean - 63));
    const double dTheta = 30 * std::exp(-std::pow((hMean - 275) / 25, 2));
    const double cp7 = std::pow(cpMean, 7);
    const double rc = 2 * std::sqrt(cp7 / (cp7 + std::pow(25.0, 7)));
    const double sl = 1 + 0.015 * std::pow(lMean - 50, 2) / std::sqrt(20 + std::pow(lMean - 50, 2));
    const double sc = 1 + 0.045 * cpMean, sh = 1 + 0.015 * cpMean * t;
    const double rt = -std::sin(rad(2 * dTheta)) * rc;
    return std::sqrt(std::pow(dL / sl, 2) + std::pow(dC / sc, 2) + std::pow(dH / sh, 2) +
                     rt * (dC / sc) * (dH / sh));
}

} // namespace

double psnr(const Pixels& a, const Pixels& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double dr = a[i].red - b[i].red, dg = a[i].green - b[i].green,
                     db = a[i].blue - b[i].blue;
        sum += dr * dr + dg * dg + db * db;
    }
    const double mse = sum / (3.0 * static_cast<double>(a.size()));
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

double meanCiede2000(const Pixels& a, const Pixels& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += ciede2000(toLab(a[i]), toLab(b[i]));
    return sum / static_cast<double>(a.size());
}

Pixels blurred(const Pixels& p, int width, int height) {
    static const int kTaps[9] = {1, 8, 28, 56, 70, 56, 28, 8, 1};
    const auto pass = [&](const Pixels& in, bool across) {
        Pixels out(in.size());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int r = 0, g = 0, b = 0;
                for (int k = -4; k <= 4; ++k) {
                    const int sx = across ? std::clamp(x + k, 0, width - 1) : x;
                    const int sy = across ? y : std::clamp(y + k, 0, height - 1);
                    const Colour& c = in[static_cast<std::size_t>(sy) * width + sx];
                    r += c.red * kTaps[k + 4];
                    g += c.green * kTaps[k + 4];
                    b += c.blue * kTaps[k + 4];
                }
                out[static_cast<std::size_t>(y) * width + x] = {(r + 128) / 256, (g + 128) / 256,
                                                                (b + 128) / 256};
            }
        return out;
    };
    return pass(pass(p, true), false);
}

} // namespace quality
