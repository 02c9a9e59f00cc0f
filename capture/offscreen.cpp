// The offscreen renderer: a hidden GLUT window for the context (GLUT's solids need one) and a
// framebuffer object that the show's frames are drawn into.
#include "capture/offscreen.h"

#include "platform/paths.h"
#include "platform/stop_signals.h"
#include "platform/x_server.h"

#include "app/aspect.h"
#include "app/data_files.h"
#include "app/drawing_state.h"
#include "app/frame.h"
#include "app/run.h"
#include "platform/allocator.h"

#include <GL/freeglut.h>
#include <GL/glext.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

struct Offscreen {
    bool open = false;
    int window = 0;
    int width = 0;
    int height = 0;
    GLuint framebuffer = 0;
    GLuint colourBuffer = 0;
    GLuint depthBuffer = 0;
};

Offscreen offscreen;
PictureAspect offscreenAspect; // stretch unless set

// The window never shows; these stop GLUT from drawing into it or resetting the viewport.
void ignoreDisplay() {}
void ignoreReshape(int, int) {}

bool dataFolderPresent()
{
    return isFolder(dataFolder());
}

bool framebufferObjectsSupported()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && std::atoi(version) >= 3)
        return true;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_framebuffer_object");
}

void deleteFramebuffer()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &offscreen.framebuffer);
    glDeleteRenderbuffers(1, &offscreen.colourBuffer);
    glDeleteRenderbuffers(1, &offscreen.depthBuffer);
    offscreen.framebuffer = offscreen.colourBuffer = offscreen.depthBuffer = 0;
}

void destroyWindow()
{
    glutDestroyWindow(offscreen.window);
    glutMainLoopEvent(); // GLUT closes windows from its event loop
    offscreen.window = 0;
}

std::string tooLarge(int width, int height, int widest, int tallest, const char* why)
{
    return std::to_string(width) + "x" + std::to_string(height) + " is too large for this renderer: largest is " +
           std::to_string(widest) + " x " + std::to_string(tallest) + why;
}

// Gives the bound framebuffer's colour and depth buffers storage of width x height; true when
// the framebuffer is then complete (false when the memory for it could not be had).
bool storeFramebuffer(int width, int height)
{
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindRenderbuffer(GL_RENDERBUFFER, offscreen.colourBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, offscreen.depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    const bool stored = glGetError() == GL_NO_ERROR;
    return stored && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// Whether the process may hold the colour and depth buffers of a w x h picture (4 bytes a pixel
// each) at once: what the renderer's allocation needs of the memory the process may use.
bool mayMapBuffers(int w, int h)
{
    return mayHoldBlocks(std::size_t(w) * std::size_t(h) * 4, 2);
}

// About the largest picture of the same shape as width x height that the process has the memory
// for, to within 1 %; 0 x 0 if none.
void largestHeld(int width, int height, int& widest, int& tallest)
{
    double held = 0, refused = 1;
    while (refused - held > 1.0 / 128) {
        const double scale = (held + refused) / 2;
        (mayMapBuffers(std::max(1, int(width * scale)), std::max(1, int(height * scale))) ? held : refused) = scale;
    }
    widest = held > 0 ? std::max(1, int(width * held)) : 0;
    tallest = held > 0 ? std::max(1, int(height * held)) : 0;
}

// Colour and depth renderbuffers of the chosen size, attached and bound for drawing and reading.
// A size past the renderer's limits, or past the memory it may use, is said as such.
bool createFramebuffer(int width, int height, std::string& reason)
{
    GLint largest = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const int widest = std::min<int>(largest, viewport[0]);
    const int tallest = std::min<int>(largest, viewport[1]);
    if (width > widest || height > tallest) {
        reason = tooLarge(width, height, widest, tallest, "");
        return false;
    }
    glGenFramebuffers(1, &offscreen.framebuffer);
    glGenRenderbuffers(1, &offscreen.colourBuffer);
    glGenRenderbuffers(1, &offscreen.depthBuffer);
    for (GLuint buffer : {offscreen.colourBuffer, offscreen.depthBuffer})
        glBindRenderbuffer(GL_RENDERBUFFER, buffer); // a name becomes a renderbuffer when first bound
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, offscreen.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, offscreen.colourBuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, offscreen.depthBuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    if (storeFramebuffer(width, height))
        return true;
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    deleteFramebuffer();
    if (status == GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT) { // its buffers could not be had
        int heldWidth = 0, heldHeight = 0;
        largestHeld(width, height, heldWidth, heldHeight);
        reason = tooLarge(width, height, heldWidth, heldHeight, " in the memory it may use");
    } else {
        char code[16];
        std::snprintf(code, sizeof code, "0x%04X", status);
        reason = std::string("the framebuffer object is incomplete (status ") + code + ")";
    }
    return false;
}

} // namespace

bool openOffscreen(int width, int height, std::string& reason)
{
    tuneAllocatorForDrawing(); // as the show does at start-up, so frames cost what they cost there
    if (offscreen.open) {
        reason = "the offscreen renderer is already open";
        return false;
    }
    if (width <= 0 || height <= 0) {
        reason = "size " + std::to_string(width) + "x" + std::to_string(height) + " is not positive";
        return false;
    }
    // Mesa, short of address space, fails to load its renderer in lines of its own, or crashes
    // compiling the first drawing: the limit is named instead. Besides the show's share, a
    // capture holds its framebuffer, the thread that waits for a stop and the encoder's pipe:
    // about 18 MiB more measured, of which this asks a little less.
    constexpr std::size_t captureAddressSpace = std::size_t(16) << 20;
    if (!addressSpaceHoldsRenderer(captureAddressSpace, reason))
        return false;
    // GLUT ends the process when it cannot open a display, so look first, and keep that
    // connection open until GLUT has its own, so that the server cannot reset in between.
    if (!glutGet(GLUT_INIT_STATE)) {
        Display* probe = connectToDisplay();
        if (!probe) {
            reason = "no X display (DISPLAY unset or unreachable); run under xvfb-run";
            return false;
        }
        static char name[] = "offscreen";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        glutInit(&argc, argv);
        XCloseDisplay(probe);
    }
    // A missing picture would raise a modal notice and block.
    if (!dataFolderPresent()) {
        reason = "no data folder " + dataFolder() + " (the pictures load from there)";
        return false;
    }

    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(16, 16);
    {
        // Mesa's rendering threads start with the context and keep the stop signals held, so
        // that the thread that checks for a stop is the one a stop interrupts. Only while they
        // start: a stop that comes later (while the framebuffer, perhaps of gigabytes, is
        // allocated) is seen at once.
        const StopSignalsHeld held;
        offscreen.window = glutCreateWindow("offscreen");
    }
    glutDisplayFunc(ignoreDisplay);
    glutReshapeFunc(ignoreReshape);
    glutHideWindow();
    glutMainLoopEvent(); // GLUT applies the hide from its event loop

    if (!framebufferObjectsSupported()) {
        reason = std::string("no framebuffer objects in this OpenGL (") +
                 reinterpret_cast<const char*>(glGetString(GL_VERSION)) + ")";
        destroyWindow();
        return false;
    }
    if (!createFramebuffer(width, height, reason)) {
        destroyWindow();
        return false;
    }
    if (!initDrawing()) {
        reason = "the GLU quadric could not be created";
        deleteFramebuffer();
        destroyWindow();
        return false;
    }
    reshapeForAspect(offscreenAspect, width, height);

    offscreen.open = true;
    offscreen.width = width;
    offscreen.height = height;
    return true;
}

void setOffscreenAspect(const PictureAspect& aspect)
{
    offscreenAspect = aspect;
}

bool renderOffscreenFrame(std::uint32_t showTimeMs)
{
    if (!offscreen.open || showTimeMs >= std::uint32_t(showEndMs))
        return false;
    drawFrameAt(showTimeMs);
    blackenBars(offscreenAspect, offscreen.width, offscreen.height);
    // The swap the show makes after each frame: it swaps the hidden window's own buffers and
    // leaves the framebuffer object's picture in place.
    glutSwapBuffers();
    return true;
}

void readOffscreenPixels(std::vector<std::uint8_t>& rgb)
{
    rgb.resize(std::size_t(offscreen.width) * std::size_t(offscreen.height) * 3);
    if (!offscreen.open)
        return;
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, offscreen.width, offscreen.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

void closeOffscreen()
{
    if (!offscreen.open)
        return;
    deleteFramebuffer();
    releaseRun();
    destroyWindow();
    offscreen = Offscreen{};
}
