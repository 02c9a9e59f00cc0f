// The picture's side of scripts/arc_plot.sh: reads a run's frames as raw RGB (three bytes a
// pixel, as ffmpeg's rawvideo rgb24 writes them) from standard input and prints, a line a frame,
// its time, Rec.709 mean luma, mean absolute luma change from the frame before and
// Hasler-Suesstrunk colourfulness. With --events, prints the scene cuts and the picture's events
// the soundtrack is edited to instead.
//   arc_frames WIDTH HEIGHT FPS < frames.rgb
//   arc_frames --events
#include "app/timeline.h"
#include "app/visual_events.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char* kindName(VisualEventKind kind)
{
    switch (kind) {
    case VisualEventKind::cut:
        return "cut";
    case VisualEventKind::fadeToBlack:
        return "fade to black";
    case VisualEventKind::reveal:
        return "reveal";
    case VisualEventKind::rushStart:
        return "rush";
    case VisualEventKind::rushEnd:
        return "rush end";
    case VisualEventKind::ringClosing:
        return "ring closing";
    case VisualEventKind::ringClosed:
        return "ring closed";
    case VisualEventKind::sphereVanishes:
        return "sphere gone";
    case VisualEventKind::whiteLight:
        return "white light";
    }
    return "?";
}

int printEvents()
{
    std::printf("time,kind,seen\n");
    for (int scene = 2; scene <= sceneCount; ++scene) {
        bool seen = false;
        for (const VisualEvent& event : visualEvents)
            seen = seen || (event.kind == VisualEventKind::cut && event.ms == sceneStartMs(scene) && event.frameChanges);
        std::printf("%.3f,scene %d,%d\n", sceneStartMs(scene) / 1000.0, scene, seen ? 1 : 0);
    }
    for (const VisualEvent& event : visualEvents) {
        if (event.kind != VisualEventKind::cut)
            std::printf("%.3f,%s,%d\n", event.ms / 1000.0, kindName(event.kind), event.frameChanges ? 1 : 0);
    }
    std::printf("%.3f,end,0\n", showEndMs / 1000.0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--events") == 0)
        return printEvents();
    if (argc != 4) {
        std::fprintf(stderr, "usage: arc_frames WIDTH HEIGHT FPS < frames.rgb | arc_frames --events\n");
        return 2;
    }
    const long width = std::strtol(argv[1], nullptr, 10);
    const long height = std::strtol(argv[2], nullptr, 10);
    const double fps = std::strtod(argv[3], nullptr);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || !(fps > 0.0)) {
        std::fprintf(stderr, "arc_frames: give a size from 1 to 16384 and frames per second above 0\n");
        return 2;
    }
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    std::vector<unsigned char> rgb(pixels * 3);
    std::vector<float> luma(pixels);
    std::vector<float> previous;
    std::printf("time,luma,change,colourfulness\n");
    for (long frame = 0; std::fread(rgb.data(), 1, rgb.size(), stdin) == rgb.size(); ++frame) {
        double sum = 0.0, change = 0.0, sumRg = 0.0, sumYb = 0.0, sumRg2 = 0.0, sumYb2 = 0.0;
        for (std::size_t p = 0; p < pixels; ++p) {
            const double r = rgb[3 * p], g = rgb[3 * p + 1], b = rgb[3 * p + 2];
            luma[p] = float(0.2126 * r + 0.7152 * g + 0.0722 * b);
            sum += luma[p];
            if (!previous.empty())
                change += std::fabs(double(luma[p]) - previous[p]);
            const double rg = r - g;
            const double yb = 0.5 * (r + g) - b;
            sumRg += rg;
            sumYb += yb;
            sumRg2 += rg * rg;
            sumYb2 += yb * yb;
        }
        const double n = double(pixels);
        const double meanRg = sumRg / n, meanYb = sumYb / n;
        const double colourfulness =
            std::sqrt(std::max(0.0, sumRg2 / n - meanRg * meanRg) + std::max(0.0, sumYb2 / n - meanYb * meanYb)) +
            0.3 * std::sqrt(meanRg * meanRg + meanYb * meanYb);
        std::printf("%.4f,%.3f,%.3f,%.3f\n", frame / fps, sum / n, previous.empty() ? 0.0 : change / n, colourfulness);
        previous = luma;
    }
    return 0;
}
