// The show's four pictures, generated from seeded noise and closed-form shapes, each composed for
// the part of it the show's cameras actually see.
#include "data/pictures.h"

#include "data/maths.h"
#include "data/noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double twoPi = 2.0 * pi;

struct Colour {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour operator*(Colour a, double k) { return {a.r * k, a.g * k, a.b * k}; }

Colour mix(Colour a, Colour b, double t) { return a * (1.0 - t) + b * t; }

double luminance(Colour c) { return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b; }

// Rounds with seeded dither so that smooth gradients show no bands; zero stays exactly zero,
// which the glow picture's black border relies on.
std::uint8_t quantise(double v, Random& dither)
{
    const double scaled = std::clamp(v, 0.0, 1.0) * 255.0 + dither.uniform();
    return std::uint8_t(std::min(255.0, std::floor(scaled)));
}

// Shifts (s, t) by periodic noise, bending straight features into organic ones while the
// picture stays tileable from left to right.
struct Uv {
    double s;
    double t;
};

Uv warped(double s, double t, double amount, int octaves, std::uint32_t seed)
{
    return {s + amount * periodicFbm(s, t, 3, octaves, 0.5, seed), t + amount * periodicFbm(s, t, 3, octaves, 0.5, seed + 1u)};
}

// Colours of a picture before quantising, row 0 at the top.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Colour> colours;
};

// Fills a canvas from `shade(x, y)`, called once per pixel in row order with row 0 at the top.
template <typename Shade>
Canvas shadeCanvas(int width, int height, Shade shade)
{
    Canvas canvas{width, height, {}};
    canvas.colours.reserve(std::size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            canvas.colours.push_back(shade(x, y));
    }
    return canvas;
}

Picture quantised(const Canvas& canvas, std::uint64_t ditherSeed)
{
    Picture picture;
    picture.width = canvas.width;
    picture.height = canvas.height;
    picture.rgb.reserve(canvas.colours.size() * 3);
    Random dither(ditherSeed);
    for (const Colour& c : canvas.colours) {
        picture.rgb.push_back(quantise(c.r, dither));
        picture.rgb.push_back(quantise(c.g, dither));
        picture.rgb.push_back(quantise(c.b, dither));
    }
    return picture;
}

// The skies are lit by coloured lights at about half strength, so they are stretched to use the
// full range: the darkest half percent of pixels maps to `low` and the brightest `brightShare`
// to `high`, and the middle tones are lifted by `gamma` (below 1 brightens).
void stretchToRange(Canvas& canvas, double low, double high, double gamma, double brightShare)
{
    std::vector<double> levels;
    levels.reserve(canvas.colours.size());
    for (const Colour& c : canvas.colours)
        levels.push_back(luminance(c));
    const std::size_t tail = levels.size() / 200;
    std::nth_element(levels.begin(), levels.begin() + tail, levels.end());
    const double darkest = levels[tail];
    const std::size_t brightTail = std::size_t(double(levels.size()) * brightShare);
    std::nth_element(levels.begin(), levels.end() - 1 - brightTail, levels.end());
    const double brightest = levels[levels.size() - 1 - brightTail];
    const double scale = (high - low) / std::max(1e-6, brightest - darkest);
    for (Colour& c : canvas.colours) {
        // Channels stop short of white so that no patch flattens under the lights.
        const auto level = [&](double v) { return std::min(0.96, std::pow(std::clamp(low + (v - darkest) * scale, 0.0, 1.0), gamma)); };
        c = {level(c.r), level(c.g), level(c.b)};
    }
}

// Stretches the picture's luminance about its mean by `contrast` and each colour's distance
// from its own luminance by `saturation`, keeping channels short of white as stretchToRange does.
void deepen(Canvas& canvas, double contrast, double saturation)
{
    double mean = 0.0;
    for (const Colour& c : canvas.colours)
        mean += luminance(c);
    mean /= double(canvas.colours.size());
    for (Colour& c : canvas.colours) {
        const double level = luminance(c);
        const double stretched = mean + (level - mean) * contrast;
        const auto channel = [&](double v) { return std::clamp(stretched + (v - level) * saturation, 0.0, 0.96); };
        c = {channel(c.r), channel(c.g), channel(c.b)};
    }
}

// Scene 4 sees the sky faces' bottom rows meet black below its horizon: they fade to black over
// the last `bottom` of the picture's height, so the horizon is soft rather than a hard line. The
// texture repeats, so filtering blends the bottom row with the top one: the top rows fade to
// black over the first `top` of the height as well, so the rows that meet across the wrap match
// and no line shows along the horizon.
void fadeEdgesToBlack(Canvas& canvas, double top, double bottom)
{
    for (int y = 0; y < canvas.height; ++y) {
        const double t = (y + 0.5) / canvas.height;
        const double keep = smoothstep(1.0, 1.0 - bottom, t) * smoothstep(0.0, top, t);
        if (keep >= 1.0)
            continue;
        for (int x = 0; x < canvas.width; ++x) {
            Colour& c = canvas.colours[std::size_t(y) * canvas.width + x];
            c = c * keep;
        }
    }
}

// How far (s, t) lies from the centre of the face, the part the cameras look at; 0 there, about
// 1 at the middle of each edge. Symmetric in s and taken modulo 1, so the left and right edges
// still meet when s is warped past them.
double fromFaceCentre(double s, double t)
{
    const double ds = std::fabs(s - std::floor(s) - 0.5) * 2.0;
    const double dt = (t - 0.46) * 2.0;
    return std::sqrt(ds * ds + dt * dt);
}

} // namespace

Picture makeGlowPicture()
{
    constexpr int size = glowPictureSize;
    // Beyond this fraction of the half-width the picture is exactly black, so the two outermost
    // texel rings stay dark and a square seen at a slant does not show its outline.
    constexpr double blackBeyond = 0.97;
    // The glow pass screens each square over what is behind it, and a sparkle's crossed squares
    // overlap at its centre: a peak below half keeps the centre from clipping to a flat disc.
    constexpr double peak = 0.48;
    return quantised(shadeCanvas(size, size, [](int x, int y) {
        const double u = (x + 0.5) / size * 2.0 - 1.0;
        const double v = (y + 0.5) / size * 2.0 - 1.0;
        const double r = std::sqrt(u * u + v * v);
        if (r >= blackBeyond)
            return Colour{};
        const double edge = 1.0 - (r / blackBeyond) * (r / blackBeyond);
        const double window = edge * edge;
        // A cusp at the centre rather than a rounded top: the core reads as a point of light with
        // a gradient all the way in, never as a plateau.
        const double core = 0.26 * std::exp(-r / 0.06) + 0.18 * std::exp(-(r / 0.2) * (r / 0.2));
        // A broad halo carries the light far out over the black, fading to nothing at the edge.
        const double halo = 0.58 * std::exp(-r / 0.8);
        // Four faint, broad rays: enough for a sparkle to read as a light rather than a dot. They
        // run along the diagonals, so no row or column through the centre is brighter than its
        // neighbours: a square seen edge-on shows that row as a line.
        const double angle = std::atan2(v, u);
        const double rays = 0.15 * std::pow(std::fabs(std::sin(2.0 * angle)), 12.0) * std::exp(-r / 0.25) * smoothstep(0.0, 0.15, r);
        const double intensity = peak * window * (core + halo + rays);
        // White at the core, warming to rose around it and cooling to violet in the outer halo:
        // over black the glows read as coloured light. Each tint keeps the luminance of the
        // white it replaces, so what the sparkle adds to a frame's light stays the same.
        const Colour rose{1.0, 0.5, 0.68};
        const Colour violet{0.56, 0.5, 1.0};
        const Colour tint = mix(mix(Colour{1.0, 1.0, 1.0}, rose, smoothstep(0.06, 0.22, r)), violet, smoothstep(0.25, 0.6, r));
        return tint * (intensity / luminance(tint));
    }), 0x6C0Du);
}

Picture makeVelvetSky()
{
    constexpr int size = 1024;
    // The folds are a height field; shading needs its slopes, so it is built first. Every term
    // is periodic across the picture, so the left and right edges meet without a seam.
    std::vector<double> height(std::size_t(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double s = double(x) / size;
            const double t = double(y) / size;
            const Uv q = warped(s, t, 0.05, 4, 11u);
            const double bend = 2.6 * periodicFbm(q.s, q.t, 2, 3, 0.5, 13u);
            const double drape = std::sin(twoPi * (3.0 * q.s + 1.0 * q.t) + bend);
            const double crease = std::sin(twoPi * (2.0 * q.s - 3.0 * q.t) + 1.7 * bend);
            const double nap = periodicFbm(q.s, q.t, 16, 3, 0.5, 14u);
            height[std::size_t(y) * size + x] = drape + 0.4 * crease + 0.05 * nap;
        }
    }
    const auto heightAt = [&height](int x, int y) {
        return height[std::size_t(std::clamp(y, 0, size - 1)) * size + (x + size) % size];
    };

    const Colour deepViolet{0.16, 0.08, 0.30};
    const Colour rose{0.92, 0.38, 0.62};
    const Colour violet{0.52, 0.36, 0.92};
    const Colour sheenColour{1.0, 0.86, 0.92};
    Canvas canvas = shadeCanvas(size, size, [&](int x, int y) {
        const double s = double(x) / size;
        const double t = double(y) / size;
        constexpr double relief = 0.03; // height units per picture width
        const double hx = (heightAt(x + 1, y) - heightAt(x - 1, y)) * 0.5 * size * relief;
        const double hy = (heightAt(x, y + 1) - heightAt(x, y - 1)) * 0.5 * size * relief;
        const double len = std::sqrt(hx * hx + hy * hy + 1.0);
        const double nx = -hx / len;
        const double ny = -hy / len;
        const double nz = 1.0 / len;
        // Light from the upper left; velvet's pile catches light at grazing angles, so the
        // fold flanks get a sheen while the faces turned to the viewer stay deep.
        const double diffuse = std::max(0.0, nx * -0.45 + ny * -0.5 + nz * 0.74);
        const double sheen = std::pow(1.0 - nz, 1.4);
        // The folds glow at the middle of the face, where the camera looks, and sink into deep
        // violet towards its edges.
        const double spotlight = 1.0 - smoothstep(0.1, 1.15, fromFaceCentre(s, t));
        const Colour base = mix(rose, violet, smoothstep(-0.35, 0.35, periodicFbm(s, t, 2, 3, 0.5, 15u)));
        const Colour lit = base * (0.35 + 0.6 * diffuse) + sheenColour * (0.9 * sheen);
        return mix(deepViolet, lit, 0.35 + 0.65 * spotlight);
    });
    stretchToRange(canvas, 0.02, 0.97, 0.35, 0.15);
    fadeEdgesToBlack(canvas, 0.03, 0.12);
    return quantised(canvas, 0x7E17u);
}

Picture makeNebulaSky()
{
    constexpr int size = 1024;
    // Stars are splats added into a layer that wraps from left to right, so one near a side
    // edge continues on the opposite side.
    std::vector<double> stars(std::size_t(size) * size, 0.0);
    Random place(0x57A2u);
    for (int i = 0; i < 500; ++i) {
        const double cx = place.uniform() * size;
        const double cy = place.uniform() * size;
        // At least a texel and a half across: a single bright texel would flicker as the box turns.
        const double sigma = 1.1 + 0.9 * place.uniform() * place.uniform();
        const double brightness = 0.1 + 0.3 * place.uniform() * place.uniform();
        for (int dy = -5; dy <= 5; ++dy) {
            for (int dx = -5; dx <= 5; ++dx) {
                const int px = int(cx) + dx;
                const int py = int(cy) + dy;
                if (py < 0 || py >= size)
                    continue;
                const double ex = px + 0.5 - cx;
                const double ey = py + 0.5 - cy;
                const double w = brightness * std::exp(-(ex * ex + ey * ey) / (2.0 * sigma * sigma));
                stars[std::size_t(py) * size + (px + size) % size] += w;
            }
        }
    }

    const Colour deep{0.05, 0.06, 0.16};
    const Colour teal{0.20, 0.70, 0.78};
    const Colour magenta{0.86, 0.30, 0.70};
    const Colour ember{1.0, 0.80, 0.58};
    Canvas canvas = shadeCanvas(size, size, [&](int x, int y) {
        const double s = double(x) / size;
        const double t = double(y) / size;
        const Uv q = warped(s, t, 0.12, 5, 21u);
        // The gas gathers into a bright cloud at the middle of the face, where the camera looks,
        // thinning to dark space towards the edges.
        const double gather = 1.0 - smoothstep(0.0, 1.2, fromFaceCentre(q.s, q.t));
        const double density = smoothstep(-0.45, 0.45, periodicFbm(q.s, q.t, 4, 6, 0.55, 23u) + 0.5 * gather - 0.15);
        const double filament = std::pow(1.0 - std::fabs(periodicFbm(q.s, q.t, 6, 5, 0.5, 24u)), 5.0);
        const Colour gas = mix(teal, magenta, smoothstep(-0.25, 0.25, periodicFbm(s, t, 2, 3, 0.5, 25u)));
        const double star = std::min(0.45, stars[std::size_t(y) * size + x]);
        return deep + gas * (0.9 * density * (0.4 + 0.6 * gather)) + ember * (0.45 * filament * density * gather)
               + Colour{star, star, star};
    });
    stretchToRange(canvas, 0.01, 0.97, 0.4, 0.08);
    // Under scene 3's coloured lights the nebula reads dull: more contrast about its mean and
    // more saturation bring its colours back on screen.
    deepen(canvas, 2.0, 2.8);
    fadeEdgesToBlack(canvas, 0.03, 0.12);
    return quantised(canvas, 0x4EB0u);
}

Picture makeWaveMap()
{
    constexpr int size = 512;
    constexpr double radius = size / 2.0;
    // Sphere mapping turns each normal of the ripple surface into a point of this disc. Seen from
    // scene 5's camera, the flat and gently sloped surface reflects the lower half of the disc,
    // most of all its bottom centre: that is where the light is. The upper half is seen only on
    // the steepest flanks of the ripples and stays a dim, coloured sky.
    const Colour zenith{0.10, 0.08, 0.30};
    const Colour dusk{0.45, 0.22, 0.62};
    const Colour rose{0.95, 0.40, 0.62};
    const Colour gold{1.0, 0.70, 0.34};
    const Colour paleGold{1.0, 0.86, 0.72};
    const Colour teal{0.30, 0.82, 0.92};
    return quantised(shadeCanvas(size, size, [&](int x, int y) {
        double a = (x + 0.5 - radius) / radius; // -1 left .. 1 right
        double b = (y + 0.5 - radius) / radius; // -1 top .. 1 bottom
        // Beyond the disc's edge each texel carries the colour of the rim point on its own radius:
        // steep ripples reflect the very edge, and filtering there blends in the texels outside,
        // so those must not be black or the crests show dotted dark lines.
        const double rimRadius = 1.0 - 0.5 / radius;
        const double r = std::sqrt(a * a + b * b);
        if (r > rimRadius) {
            a *= rimRadius / r;
            b *= rimRadius / r;
        }
        // Broad, low-frequency colour only: the surface magnifies the map, so anything small would
        // show as blocks and dotted lines. The smallest noise cell here is about 40 texels.
        const double drift = periodicFbm(0.5 + 0.5 * a, 0.5 + 0.5 * b, 3, 2, 0.5, 31u);
        // Sky above the horizon: dusk at the horizon, deep indigo at the top.
        const Colour sky = mix(dusk, zenith, smoothstep(0.0, 0.9, -b + 0.15 * drift));
        // Below it, the glow brightens from rose at the horizon to pale gold at the bottom, with
        // teal to the sides, so the rings change colour as they run outwards.
        const double depth = std::clamp(b + 0.12 * drift, 0.0, 1.0);
        Colour glow = depth < 0.55 ? mix(rose, gold, smoothstep(0.0, 0.55, depth))
                                   : mix(gold, paleGold, smoothstep(0.55, 0.95, depth));
        glow = mix(glow, teal, 0.6 * smoothstep(0.25, 0.85, std::fabs(a + 0.1 * drift)));
        Colour c = mix(sky, glow, smoothstep(-0.12, 0.12, b));
        // A soft horizon glow joins the two halves, a few dozen texels wide.
        c = c + Colour{0.35, 0.22, 0.30} * std::exp(-(b / 0.12) * (b / 0.12));
        // Wide bands that the moving ripples turn into travelling colour.
        c = c * (0.88 + 0.12 * std::sin(twoPi * (2.5 * b + 0.6 * drift)));
        // The surface reflects the map dimmed by its own lighting: the whole map a little brighter
        // keeps the finale's surface lit, its highlights rolled off short of white.
        const auto lifted = [](double v) {
            v *= 1.18;
            return v <= 0.8 ? v : 0.8 + 0.2 * std::tanh((v - 0.8) / 0.2);
        };
        return Colour{lifted(c.r), lifted(c.g), lifted(c.b)};
    }), 0x3A5Eu);
}
