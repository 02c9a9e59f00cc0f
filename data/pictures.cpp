// The show's four pictures, generated from seeded noise and closed-form shapes.
#include "data/pictures.h"

#include "data/noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;

struct Colour {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour operator*(Colour a, double k) { return {a.r * k, a.g * k, a.b * k}; }

Colour mix(Colour a, Colour b, double t) { return a * (1.0 - t) + b * t; }

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Rounds with seeded dither so that smooth gradients show no bands; zero stays exactly zero,
// which the glow sprite's black border relies on.
std::uint8_t quantise(double v, Random& dither)
{
    const double scaled = std::clamp(v, 0.0, 1.0) * 255.0 + dither.uniform();
    return static_cast<std::uint8_t>(std::min(255.0, std::floor(scaled)));
}

// Shifts (s, t) by periodic noise, bending straight features into organic ones while the
// picture stays tileable.
struct Uv {
    double s;
    double t;
};

Uv warped(double s, double t, double amount, int octaves, std::uint32_t seed)
{
    return {s + amount * periodicFbm(s, t, 3, octaves, 0.5, seed), t + amount * periodicFbm(s, t, 3, octaves, 0.5, seed + 1u)};
}

// Fills a picture from `shade(x, y)`, called once per pixel in row order with row 0 at the top.
template <typename Shade>
Picture renderPicture(int width, int height, std::uint64_t ditherSeed, Shade shade)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    Random dither(ditherSeed);
    std::uint8_t* out = picture.rgb.data();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour c = shade(x, y);
            *out++ = quantise(c.r, dither);
            *out++ = quantise(c.g, dither);
            *out++ = quantise(c.b, dither);
        }
    }
    return picture;
}

} // namespace

Picture makeGlowSprite()
{
    constexpr int kSize = 512;
    // Beyond this fraction of the half-width the sprite is exactly black: a square seen at a
    // slant must not show its outline, and the corners must stay dark on every square.
    constexpr double kBlackBeyond = 0.84;
    return renderPicture(kSize, kSize, 0x6C0Du, [](int x, int y) {
        const double u = (x + 0.5) / kSize * 2.0 - 1.0;
        const double v = (y + 0.5) / kSize * 2.0 - 1.0;
        const double r = std::sqrt(u * u + v * v);
        if (r >= kBlackBeyond) {
            return Colour{};
        }
        const double edge = 1.0 - (r / kBlackBeyond) * (r / kBlackBeyond);
        const double window = edge * edge * edge;
        const double core = std::exp(-(r / 0.1) * (r / 0.1));
        const double halo = 0.9 * std::exp(-r / 0.2);
        const double rays = 0.12 * std::pow(std::fabs(std::cos(3.0 * std::atan2(v, u))), 40.0) * std::exp(-r / 0.3);
        // Saturating softly rather than clipping keeps the core round instead of a flat white disc.
        const double intensity = window * (1.0 - std::exp(-1.8 * (core + halo + rays)));
        // Pure white at the core and a faintly cool halo, so the colours the show applies stay clean.
        const double cool = smoothstep(0.0, 0.5, r);
        return Colour{intensity * (1.0 - 0.06 * cool), intensity * (1.0 - 0.02 * cool), intensity};
    });
}

Picture makeVelvetSky()
{
    constexpr int kSize = 1024;
    // The folds are a height field; shading needs its slopes, so it is built first. Every term
    // is periodic over the picture (whole numbers of waves, periodic noise) so the box's edges
    // meet without a seam.
    std::vector<double> height(static_cast<std::size_t>(kSize) * kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double s = static_cast<double>(x) / kSize;
            const double t = static_cast<double>(y) / kSize;
            const Uv q = warped(s, t, 0.05, 4, 11u);
            const double bend = 2.6 * periodicFbm(q.s, q.t, 2, 3, 0.5, 13u);
            const double drape = std::sin(kTwoPi * (4.0 * q.s + 1.0 * q.t) + bend);
            const double crease = std::sin(kTwoPi * (2.0 * q.s - 3.0 * q.t) + 1.7 * bend);
            const double nap = periodicFbm(q.s, q.t, 16, 3, 0.5, 14u);
            height[static_cast<std::size_t>(y) * kSize + x] = drape + 0.4 * crease + 0.05 * nap;
        }
    }
    const auto heightAt = [&height](int x, int y) {
        return height[static_cast<std::size_t>((y + kSize) % kSize) * kSize + (x + kSize) % kSize];
    };

    const Colour rose{0.80, 0.42, 0.60};
    const Colour violet{0.50, 0.38, 0.80};
    const Colour sheenColour{0.98, 0.84, 0.96};
    return renderPicture(kSize, kSize, 0x7E17u, [&](int x, int y) {
        const double s = static_cast<double>(x) / kSize;
        const double t = static_cast<double>(y) / kSize;
        constexpr double kRelief = 0.03; // height units per picture width
        const double hx = (heightAt(x + 1, y) - heightAt(x - 1, y)) * 0.5 * kSize * kRelief;
        const double hy = (heightAt(x, y + 1) - heightAt(x, y - 1)) * 0.5 * kSize * kRelief;
        const double len = std::sqrt(hx * hx + hy * hy + 1.0);
        const double nx = -hx / len;
        const double ny = -hy / len;
        const double nz = 1.0 / len;
        // Light from the upper left; velvet's pile catches light at grazing angles, so the
        // fold flanks get a sheen while the faces turned to the viewer stay deep.
        const double diffuse = std::max(0.0, nx * -0.45 + ny * -0.5 + nz * 0.74);
        const double sheen = std::pow(1.0 - nz, 1.4);
        const Colour base = mix(rose, violet, smoothstep(-0.35, 0.35, periodicFbm(s, t, 2, 3, 0.5, 15u)));
        return base * (0.5 + 0.55 * diffuse) + sheenColour * (0.8 * sheen);
    });
}

Picture makeNebulaSky()
{
    constexpr int kSize = 1024;
    // Stars are splats added into a wrapping layer first, so one near an edge continues on the
    // opposite side and the tiling stays seamless.
    std::vector<double> stars(static_cast<std::size_t>(kSize) * kSize, 0.0);
    Random place(0x57A2u);
    for (int i = 0; i < 700; ++i) {
        const double cx = place.uniform() * kSize;
        const double cy = place.uniform() * kSize;
        const double sigma = 0.55 + 0.8 * place.uniform() * place.uniform();
        const double peak = 0.12 + 0.3 * place.uniform() * place.uniform();
        for (int dy = -4; dy <= 4; ++dy) {
            for (int dx = -4; dx <= 4; ++dx) {
                const int px = static_cast<int>(cx) + dx;
                const int py = static_cast<int>(cy) + dy;
                const double ex = px + 0.5 - cx;
                const double ey = py + 0.5 - cy;
                const double w = peak * std::exp(-(ex * ex + ey * ey) / (2.0 * sigma * sigma));
                stars[static_cast<std::size_t>((py + kSize) % kSize) * kSize + (px + kSize) % kSize] += w;
            }
        }
    }

    const Colour deep{0.20, 0.24, 0.42};
    const Colour teal{0.22, 0.62, 0.70};
    const Colour magenta{0.76, 0.34, 0.66};
    const Colour ember{0.98, 0.84, 0.68};
    return renderPicture(kSize, kSize, 0x4EB0u, [&](int x, int y) {
        const double s = static_cast<double>(x) / kSize;
        const double t = static_cast<double>(y) / kSize;
        const Uv q = warped(s, t, 0.12, 5, 21u);
        const double density = smoothstep(-0.3, 0.45, periodicFbm(q.s, q.t, 4, 6, 0.55, 23u));
        const double filament = std::pow(1.0 - std::fabs(periodicFbm(q.s, q.t, 6, 5, 0.5, 24u)), 6.0);
        const Colour gas = mix(teal, magenta, smoothstep(-0.25, 0.25, periodicFbm(s, t, 2, 3, 0.5, 25u)));
        const double star = std::min(0.45, stars[static_cast<std::size_t>(y) * kSize + x]);
        const Colour c = deep + gas * (0.75 * density) + ember * (0.35 * filament * density) + Colour{star, star, star};
        // Stars and bright gas stop short of white: a blown-out patch would flatten under the
        // coloured lights that modulate the sky.
        return Colour{std::min(c.r, 0.93), std::min(c.g, 0.93), std::min(c.b, 0.93)};
    });
}

Picture makeWaveMap()
{
    constexpr int kSize = 512;
    constexpr double kRadius = kSize / 2.0;
    const Colour zenith{0.10, 0.16, 0.45};
    const Colour skyLow{0.30, 0.58, 0.80};
    const Colour horizon{1.0, 0.93, 0.82};
    const Colour sea{0.07, 0.15, 0.30};
    const Colour sunColour{1.0, 0.96, 0.88};
    return renderPicture(kSize, kSize, 0x3A5Eu, [&](int x, int y) {
        const double a = (x + 0.5 - kRadius) / kRadius;
        const double b = (y + 0.5 - kRadius) / kRadius;
        const double rim = (1.0 - std::sqrt(a * a + b * b)) * kRadius + 0.5; // pixels inside the edge
        if (rim <= 0.0) {
            return Colour{};
        }
        // Sphere mapping looks up the picture through the normal of a mirrored ball seen head on;
        // the reflected eye-space direction of that point decides what the pixel shows. Row 0 is
        // the texture's t = 0, reached by reflections pointing down the eye's y axis.
        const double c = std::sqrt(std::max(0.0, 1.0 - a * a - b * b));
        const double rx = 2.0 * c * a;
        const double ry = 2.0 * c * b;
        const double rz = 2.0 * c * c - 1.0;

        const double azimuth = std::atan2(rx, -rz) / kTwoPi + 0.5;
        // Clouds thin out towards the zenith, where every azimuth meets.
        const double cloud = smoothstep(0.0, 0.6, periodicFbm(azimuth, ry * 0.5 + 0.5, 6, 5, 0.5, 31u))
                             * (1.0 - smoothstep(0.6, 0.9, std::fabs(ry)));
        Colour c0 = ry > 0.0 ? mix(skyLow, zenith, smoothstep(0.0, 0.8, ry)) + Colour{0.5, 0.5, 0.55} * (0.6 * cloud * ry)
                             : mix(skyLow * 0.5, sea, smoothstep(0.0, 0.4, -ry));
        const double band = 0.7 * std::exp(-(ry / 0.05) * (ry / 0.05)) + 0.25 * std::exp(-(ry / 0.22) * (ry / 0.22));
        c0 = c0 + horizon * band;

        // A low sun behind the ripples, where most of the surface's reflections land, and a
        // few smaller lights around it.
        constexpr double kSuns[4][5] = {
            {0.45, 0.30, -0.84, 400.0, 1.4},
            {-0.62, 0.22, -0.75, 900.0, 0.9},
            {0.10, 0.55, 0.83, 600.0, 0.8},
            {-0.30, -0.10, 0.95, 1200.0, 0.7},
        };
        for (const auto& sun : kSuns) {
            const double n = std::sqrt(sun[0] * sun[0] + sun[1] * sun[1] + sun[2] * sun[2]);
            const double cosine = std::max(0.0, (rx * sun[0] + ry * sun[1] + rz * sun[2]) / n);
            c0 = c0 + sunColour * (sun[4] * (std::pow(cosine, sun[3]) + 0.25 * std::pow(cosine, sun[3] * 0.02)));
        }
        return c0 * std::min(1.0, rim);
    });
}
