// The progress bar: a pure formatter and the terminal side that decides when to draw.
#include "capture/progress.h"

#include "platform/clock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// A capture that ends within this time never shows a bar.
constexpr double quietSeconds = 2.0;
constexpr double redrawSeconds = 0.25;

int terminalColumns()
{
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

// m:ss, or h:mm:ss from an hour on.
std::string formatDuration(double seconds)
{
    const long whole = long(seconds + 0.5);
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

void draw(ProgressMeter& meter, std::uint64_t done, double now)
{
    const std::string line = formatProgress(done, meter.total, now - meter.startSeconds, terminalColumns() - 1);
    // Carriage return and erase to the end of the line: the bar redraws in place.
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    std::fflush(stderr);
    meter.drawn = true;
    meter.lastDrawSeconds = now;
}

} // namespace

std::string formatProgress(std::uint64_t done, std::uint64_t total, double elapsedSeconds, int columns)
{
    done = std::min(done, total);
    const double rate = elapsedSeconds > 0 ? double(done) / elapsedSeconds : 0.0;
    char figures[96];
    std::snprintf(figures, sizeof figures, " %llu/%llu frames  %.1f fps  %s left",
                  static_cast<unsigned long long>(done), static_cast<unsigned long long>(total), rate,
                  done == 0 || rate <= 0 ? "--:--" : formatDuration(double(total - done) / rate).c_str());
    // The bar takes the room the figures leave, up to 40 characters; below 10 it is left out.
    const int barWidth = std::min(columns - int(std::strlen(figures)) - 2, 40);
    if (barWidth < 10)
        return figures + 1;
    const int filled = total == 0 ? barWidth : int(double(done) * barWidth / double(total));
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) at "[" + a temporary string in C++20.
    std::string bar = "[";
    bar.append(std::size_t(filled), '#');
    bar.append(std::size_t(barWidth - filled), '.');
    bar += "]";
    return bar + figures;
}

void startProgress(ProgressMeter& meter, std::uint64_t total)
{
    meter = ProgressMeter{};
    meter.enabled = total > 1 && isatty(STDERR_FILENO);
    meter.total = total;
    meter.startSeconds = monotonicMs() / 1000.0;
}

void reportProgress(ProgressMeter& meter, std::uint64_t done)
{
    if (!meter.enabled)
        return;
    const double now = monotonicMs() / 1000.0;
    if (now - meter.startSeconds < quietSeconds || (meter.drawn && now - meter.lastDrawSeconds < redrawSeconds))
        return;
    draw(meter, done, now);
}

void finishProgress(ProgressMeter& meter, std::uint64_t done)
{
    if (!meter.drawn)
        return;
    draw(meter, done, monotonicMs() / 1000.0);
    std::fputc('\n', stderr);
    meter.drawn = false;
}
