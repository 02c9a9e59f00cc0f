// The progress bar showcap draws on standard error while it renders: frames done, frames per
// second, time left. Only on a terminal, and only once a capture has run for a moment.
#pragma once

#include <cstdint>
#include <string>

struct ProgressMeter {
    bool enabled = false;        // standard error is a terminal and there is more than one frame
    bool drawn = false;          // a line is on screen and needs ending
    std::uint64_t total = 0;     // frames
    double startSeconds = 0;     // monotonic clock at the start
    double lastDrawSeconds = 0;
};

// The bar's line for `done` of `total` frames after `elapsedSeconds`, at most `columns` wide.
std::string formatProgress(std::uint64_t done, std::uint64_t total, double elapsedSeconds, int columns);

void startProgress(ProgressMeter& meter, std::uint64_t total);
// Redraws at most a few times a second, and not at all in the first seconds.
void reportProgress(ProgressMeter& meter, std::uint64_t done);
// Ends the line, if one was drawn, so that what follows starts on a line of its own.
void finishProgress(ProgressMeter& meter, std::uint64_t done);
