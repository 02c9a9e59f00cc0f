// The show's four pictures, generated from seeded noise and closed-form shapes: the glow sprite,
// the two sky textures and the sphere environment map of the ripple surface.
#pragma once

#include <cstdint>
#include <vector>

// An RGB picture, 8 bits a channel, row 0 at the top, rows packed without gaps.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Soft white glow on pure black, drawn additively on crossed squares: everything beyond a
// circle well inside the edges is exactly black, so no square outline shows at any angle.
Picture makeGlowSprite();

// Sky A: velvet-like folds in rose and violet, mid-bright, tiling seamlessly on every edge.
Picture makeVelvetSky();

// Sky B: a teal, blue and magenta nebula with faint stars, mid-bright, tiling seamlessly.
Picture makeNebulaSky();

// Sphere environment map: a reflected sky with a bright horizon band and highlights inside the
// inscribed disc, black outside it.
Picture makeWaveMap();
