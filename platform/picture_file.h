// Pictures the show saves for the viewer (screenshots): each in a new file of its own, never over
// one that is there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the width x height RGB picture `rgbBottomUp` (rows bottom-up, as GL reads them) as a PNG
// into `folder` ("" for the working folder), named `stem` + ".png", or `stem` + "-2.png", "-3"...
// when a file of that name is there already. Only a file this call creates is written: a name
// taken by anything (a file, a link, a folder) is skipped, and a file left incomplete by a failed
// write is removed. True with `written` the path written; false with a short reason in `error`.
bool writeNewPicture(const std::string& folder, const std::string& stem, int width, int height,
                     const std::vector<std::uint8_t>& rgbBottomUp, std::string& written, std::string& error);
