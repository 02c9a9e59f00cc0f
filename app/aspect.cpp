// The picture's box in the window.
#include "app/aspect.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int largestRatioSide = 10000;

// A count from 1 to largestRatioSide, digits only.
bool parseSide(const std::string& text, int& side)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    side = std::stoi(text);
    return side >= 1 && side <= largestRatioSide;
}

} // namespace

bool parseAspect(const std::string& text, PictureAspect& aspect)
{
    if (text == "stretch" || text == "square") {
        aspect = PictureAspect{};
        aspect.kind = text == "stretch" ? PictureAspect::Kind::stretch : PictureAspect::Kind::square;
        return true;
    }
    const std::size_t colon = text.find(':');
    int w = 0, h = 0;
    if (colon == std::string::npos || !parseSide(text.substr(0, colon), w) || !parseSide(text.substr(colon + 1), h))
        return false;
    aspect.kind = PictureAspect::Kind::ratio;
    aspect.width = w;
    aspect.height = h;
    return true;
}

std::string aspectName(const PictureAspect& aspect)
{
    switch (aspect.kind) {
    case PictureAspect::Kind::stretch: return "stretch";
    case PictureAspect::Kind::square: return "square";
    case PictureAspect::Kind::ratio: break;
    }
    return std::to_string(aspect.width) + ":" + std::to_string(aspect.height);
}

PictureBox pictureBox(const PictureAspect& aspect, int width, int height)
{
    if (aspect.kind == PictureAspect::Kind::stretch)
        return {0, 0, width, height};
    const std::int64_t w = aspect.kind == PictureAspect::Kind::square ? 1 : aspect.width;
    const std::int64_t h = aspect.kind == PictureAspect::Kind::square ? 1 : aspect.height;
    PictureBox box;
    if (std::int64_t(width) * h >= std::int64_t(height) * w) { // the window is wider: bars left and right
        box.height = height;
        box.width = int((std::int64_t(height) * w + h / 2) / h);
    } else {
        box.width = width;
        box.height = int((std::int64_t(width) * h + w / 2) / w);
    }
    box.width = std::clamp(box.width, 1, std::max(1, width));
    box.height = std::clamp(box.height, 1, std::max(1, height));
    box.x = (width - box.width) / 2;
    box.y = (height - box.height) / 2;
    return box;
}
