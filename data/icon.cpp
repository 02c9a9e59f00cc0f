// The icon: sources sampled bilinearly at continuous coordinates, glows screen-blended over the sky
// as the show blends its sparkles.
#include "data/icon.h"

#include "data/maths.h"

#include <algorithm>
#include <cmath>

namespace {

struct Colour {
    double r, g, b;
};

// The picture's colour at (u, v) in [0, 1], bilinear between texel centres, clamped at the edges.
Colour sample(const Picture& picture, double u, double v)
{
    const double x = std::clamp(u * picture.width - 0.5, 0.0, picture.width - 1.0);
    const double y = std::clamp(v * picture.height - 0.5, 0.0, picture.height - 1.0);
    const int x0 = int(x), y0 = int(y);
    const int x1 = std::min(x0 + 1, picture.width - 1), y1 = std::min(y0 + 1, picture.height - 1);
    const double fx = x - x0, fy = y - y0;
    auto at = [&](int px, int py, int channel) {
        return picture.rgb[(std::size_t(py) * picture.width + px) * 3 + channel] / 255.0;
    };
    double c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = (at(x0, y0, k) * (1 - fx) + at(x1, y0, k) * fx) * (1 - fy) +
               (at(x0, y1, k) * (1 - fx) + at(x1, y1, k) * fx) * fy;
    return {c[0], c[1], c[2]};
}

// `light` screen-blended over `base`, as the show blends its sparkles.
Colour screen(Colour base, Colour light)
{
    return {1.0 - (1.0 - base.r) * (1.0 - light.r), 1.0 - (1.0 - base.g) * (1.0 - light.g),
            1.0 - (1.0 - base.b) * (1.0 - light.b)};
}

// The light ring's seven hues, evenly round the colour wheel from red.
Colour ringHue(int item)
{
    const double h = item / 7.0 * 6.0;
    const double x = 1.0 - std::fabs(std::fmod(h, 2.0) - 1.0);
    const int sector = int(h);
    const Colour sectors[] = {{1, x, 0}, {x, 1, 0}, {0, 1, x}, {0, x, 1}, {x, 0, 1}, {1, 0, x}};
    return sectors[sector % 6];
}

} // namespace

Picture makeIcon(const Picture& sky, const Picture& glow, int size)
{
    Picture icon;
    icon.width = size;
    icon.height = size;
    icon.rgb.resize(std::size_t(size) * size * 3);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            const double u = (px + 0.5) / size, v = (py + 0.5) / size;
            // The middle half of the sky's face, where its light gathers, at the strength the
            // scene's lights give it, so that the glows stand out as they do on screen.
            const Colour s = sample(sky, 0.25 + u * 0.5, 0.25 + v * 0.5);
            Colour c = {0.4 * s.r, 0.4 * s.g, 0.4 * s.b};
            // The centre glow, twice as bright as the sparkle (two crossed squares overlap there).
            const Colour centre = sample(glow, (u - 0.5) / 1.1 + 0.5, (v - 0.5) / 1.1 + 0.5);
            c = screen(c, {2 * centre.r, 2 * centre.g, 2 * centre.b});
            for (int item = 0; item < 7; ++item) {
                const double angle = 2 * pi * item / 7 - pi / 2;
                const double cu = 0.5 + 0.34 * std::cos(angle), cv = 0.5 + 0.34 * std::sin(angle);
                const Colour g = sample(glow, (u - cu) / 0.5 + 0.5, (v - cv) / 0.5 + 0.5);
                const Colour hue = ringHue(item);
                c = screen(c, {2 * g.r * hue.r, 2 * g.g * hue.g, 2 * g.b * hue.b});
            }
            std::uint8_t* out = &icon.rgb[(std::size_t(py) * size + px) * 3];
            out[0] = std::uint8_t(std::lround(std::clamp(c.r, 0.0, 1.0) * 255));
            out[1] = std::uint8_t(std::lround(std::clamp(c.g, 0.0, 1.0) * 255));
            out[2] = std::uint8_t(std::lround(std::clamp(c.b, 0.0, 1.0) * 255));
        }
    }
    return icon;
}
