// showcap's progress line: counts, rate, time left and the bar's fill, at the edges of a capture.
#include "capture/progress.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct ProgressCase {
    const char* why;
    unsigned long long done, total;
    double elapsedSeconds;
    int columns;
    const char* line;
};

const ProgressCase progressCases[] = {
    {"nothing done yet: no rate, no estimate", 0, 100, 0.0, 60,
     "[........................] 0/100 frames  0.0 fps  --:-- left"},
    {"half done: half the bar, time left from the rate", 50, 100, 10.0, 60,
     "[############............] 50/100 frames  5.0 fps  0:10 left"},
    {"all done: a full bar and nothing left", 100, 100, 20.0, 60,
     "[#######################] 100/100 frames  5.0 fps  0:00 left"},
    {"more than done is shown as done", 120, 100, 20.0, 60,
     "[#######################] 100/100 frames  5.0 fps  0:00 left"},
    {"an hour or more left shows hours", 10, 6888, 10.0, 60,
     "[....................] 10/6888 frames  1.0 fps  1:54:38 left"},
    {"a wide terminal caps the bar at forty", 1, 2, 1.0, 200,
     "[####################....................] 1/2 frames  1.0 fps  0:01 left"},
    {"a narrow terminal drops the bar", 1, 3, 1.0, 40,
     "1/3 frames  1.0 fps  0:02 left"},
};

TEST(ShowcapProgress, LineShowsCountsRateTimeLeftAndFill)
{
    for (const ProgressCase& c : progressCases)
        EXPECT_EQ(formatProgress(c.done, c.total, c.elapsedSeconds, c.columns), c.line) << c.why;
}

TEST(ShowcapProgress, LineFitsTheTerminal)
{
    for (int columns : {45, 60, 80, 120})
        EXPECT_LE(int(formatProgress(123, 3444, 61.0, columns).size()), columns) << columns;
}

} // namespace
