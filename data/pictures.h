// The show's four pictures, generated from seeded noise and closed-form shapes: the glow picture,
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

// The glow picture's side in texels: the sparkle is soft, so a small texture keeps its look while
// staying in the texture cache when it is drawn minified, as it mostly is.
constexpr int glowPictureSize = 128;

// Soft glow on pure black, drawn with screen blending on crossed squares: a white core warming
// to rose and cooling to violet in its halo, each tint at the luminance of the white it replaces;
// its peak stays below half so overlapping squares do not clip, its broad halo reaches far out
// over the black, and its two outermost texel rings stay black, so no square outline shows at
// any angle.
Picture makeGlowPicture();

// Sky A: velvet folds in rose and violet, brightest at the middle of the face the camera sees,
// using the full range, its bottom and top rows fading to black; tiling every way.
Picture makeVelvetSky();

// Sky B: a teal, magenta and ember nebula gathered at the middle of the face, with faint stars,
// using the full range with deepened contrast and saturation (scene 3's lights dull it), its
// bottom and top rows fading to black; tiling every way.
Picture makeNebulaSky();

// Sphere environment map: a dim dusk sky in the upper half and a bright rose-to-gold glow in
// the lower half, which the ripple surface reflects, all in broad features; outside the inscribed
// disc each texel carries the colour of the rim on its radius.
Picture makeWaveMap();
