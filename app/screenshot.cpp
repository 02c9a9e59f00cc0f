// The screenshot: read back from the frame just drawn, before anything is drawn over it.
#include "app/screenshot.h"

#include "platform/picture_file.h"

#include <GL/gl.h>
#include <cstdio>
#include <vector>

std::string screenshotStem(std::int32_t showTimeMs)
{
    const std::int32_t ms = showTimeMs < 0 ? 0 : showTimeMs;
    char stem[48];
    std::snprintf(stem, sizeof stem, "iroiro-%02dm%02d.%03ds", int(ms / 60000), int(ms / 1000 % 60), int(ms % 1000));
    return stem;
}

bool saveScreenshot(const std::string& folder, std::int32_t showTimeMs, int width, int height, std::string& message)
{
    if (width < 1 || height < 1) {
        message = "the window has no pixels";
        return false;
    }
    std::vector<std::uint8_t> rgb(std::size_t(width) * std::size_t(height) * 3);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPopClientAttrib();
    std::string written, error;
    if (!writeNewPicture(folder, screenshotStem(showTimeMs), width, height, rgb, written, error)) {
        message = "screenshot not saved: " + error;
        return false;
    }
    message = written;
    return true;
}
