// The status line's text and its drawing over a finished frame.
#include "app/status_line.h"

#include "app/timeline.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <string>

namespace {

// GLUT_BITMAP_9_BY_15 draws its characters in a 9 x 15 cell; the line sits `margin` pixels in
// from the window's bottom left corner, on a box `padding` pixels wider all round.
constexpr int fontHeight = 15;
constexpr int margin = 8;
constexpr int padding = 4;
static_assert(margin + 2 * padding + fontHeight <= statusLineRows, "the line stays in its rows");

} // namespace

std::string formatClock(std::int32_t showTimeMs)
{
    const std::int64_t ms = showTimeMs;
    const std::int64_t magnitude = ms < 0 ? -ms : ms;
    char text[32];
    std::snprintf(text, sizeof text, "%s%02lld:%02lld.%03lld", ms < 0 ? "-" : "", (long long)(magnitude / 60000),
                  (long long)(magnitude / 1000 % 60), (long long)(magnitude % 1000));
    return text;
}

std::string formatStatusLine(bool paused, std::int32_t showTimeMs, bool loop, bool mentionLoopOff, int volumePercent,
                             bool muted, bool mentionVolume)
{
    std::string line = std::string(paused ? "paused " : "playing ") + formatClock(showTimeMs) + " / " +
                       formatClock(showEndMs);
    if (loop)
        line += "  loop on";
    else if (mentionLoopOff)
        line += "  loop off";
    if (muted)
        line += "  muted";
    else if (volumePercent != 100 || mentionVolume)
        line += "  volume " + std::to_string(volumePercent) + " %";
    return line;
}

void drawStatusLine(const std::string& text)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    void* const font = GLUT_BITMAP_9_BY_15;
    const unsigned char* characters = reinterpret_cast<const unsigned char*>(text.c_str());
    const int width = glutBitmapLength(font, characters);

    // Everything changed below is put back, so the next frame starts from the state this frame
    // left, as if the line had never been drawn.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
        glLoadIdentity();
        gluOrtho2D(0.0, viewport[2], 0.0, viewport[3]);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
            glLoadIdentity();
            glDisable(GL_LIGHTING);
            glDisable(GL_DEPTH_TEST);
            glDisable(GL_CULL_FACE);
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_TEXTURE_GEN_S);
            glDisable(GL_TEXTURE_GEN_T);
            glDisable(GL_COLOR_MATERIAL);
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
            glRecti(margin, margin, margin + width + 2 * padding, margin + fontHeight + 2 * padding);
            glDisable(GL_BLEND);
            glColor3f(0.9f, 0.9f, 0.9f);
            // The glyphs' baseline: the 9 x 15 font reaches 3 pixels below it.
            glRasterPos2i(margin + padding, margin + padding + 3);
            glutBitmapString(font, characters);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}
