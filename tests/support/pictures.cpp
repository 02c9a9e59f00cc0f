// Reading and comparing the end-to-end tests' pictures.
#include "support/pictures.h"

#include <cstdlib>
#include <sstream>

Picture readGrab(const std::string& path)
{
    Picture picture;
    const std::string bytes = readWholeFile(path);
    const std::size_t newline = bytes.find('\n');
    if (newline == std::string::npos)
        return picture;
    std::istringstream(bytes.substr(0, newline)) >> picture.width >> picture.height;
    picture.rgb = bytes.substr(newline + 1);
    return picture;
}

Picture readPng(const PrivateXServer& x, const std::string& path, int width, int height)
{
    return {width, height, x.run("convert '" + path + "' -flip -depth 8 rgb:-")};
}

Picture windowPicture(const PrivateXServer& x, const std::string& window, int width, int height)
{
    return {width, height, x.run("import -window " + window + " miff:- | convert - -flip -depth 8 rgb:-")};
}

Picture showcapFrame(const PrivateXServer& x, const std::string& folder, const std::string& at, int width, int height)
{
    const std::string png = folder + "/showcap_" + at + ".png";
    x.run("'" SHOWCAP_BINARY "' frame '" + png + "' --at " + at + " --size " + std::to_string(width) + "x" +
          std::to_string(height) + " --data '" + folder + "' 2>/dev/null");
    return readPng(x, png, width, height);
}

double differingShare(const Picture& a, const Picture& b, int tolerance, int firstRow)
{
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty() || a.width <= 0 || firstRow >= a.height)
        return 1.0;
    std::size_t differing = 0;
    const std::size_t begin = std::size_t(firstRow) * std::size_t(a.width) * 3;
    for (std::size_t i = begin; i < a.rgb.size(); i += 3) {
        for (std::size_t c = 0; c < 3; ++c) {
            if (std::abs(int(static_cast<unsigned char>(a.rgb[i + c])) - int(static_cast<unsigned char>(b.rgb[i + c]))) >
                tolerance) {
                ++differing;
                break;
            }
        }
    }
    return double(differing) / double((a.rgb.size() - begin) / 3);
}

std::string preloadAhead(const std::string& library)
{
    const char* inherited = std::getenv("LD_PRELOAD");
    return library + (inherited && *inherited ? std::string(":") + inherited : "");
}
