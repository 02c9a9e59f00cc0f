// The screenshot key's picture: the frame on screen as a PNG named after its show time.
#pragma once

#include <cstdint>
#include <string>

// "iroiro-01m43.250s" for 103250 ms; a show time below 0 counts as 0.
std::string screenshotStem(std::int32_t showTimeMs);

// Reads the current draw buffer's width x height pixels from its bottom left corner and writes
// them into `folder` ("" for the working folder) under screenshotStem, a counter added when the
// name is taken. Leaves every piece of GL state as it found it. True with `message` the file's
// path; false with `message` saying why.
bool saveScreenshot(const std::string& folder, std::int32_t showTimeMs, int width, int height, std::string& message);
