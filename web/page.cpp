// The show in a page: a WebGL 2 canvas that fills it, the options its address gives (?at=SECONDS,
// ?still, ?loop, ?window), the frames through requestAnimationFrame on the show clock, and the
// keys of the desktop show. With ?still the page draws the one frame a run carries into the
// chosen moment (the frame showcap's `frame` writes) and stops there, silent.
#include "app/controls.h"
#include "app/data_files.h"
#include "app/drawing_state.h"
#include "app/frame.h"
#include "app/music.h"
#include "app/replay.h"
#include "app/run.h"
#include "app/show_options.h"
#include "app/show_state.h"
#include "app/status_line.h"
#include "app/timeline.h"
#include "platform/web/gl_compat.h"

#include <GL/freeglut.h>
#include <cstdlib>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <string>

namespace {

struct PageOptions {
    std::uint32_t atMs = 0;
    bool still = false;
    bool loop = false;
    bool window = false;
};

// A number of seconds as the desktop's --at takes it; false when it is not one.
bool parseSeconds(const std::string& text, std::uint32_t& ms)
{
    return parseShowTime(text, ms);
}

PageOptions readAddress()
{
    PageOptions options;
    char at[64] = {};
    const int given = EM_ASM_INT({
        const value = new URLSearchParams(window.location.search).get("at");
        if (value === null)
            return 0;
        stringToUTF8(value, $0, $1);
        return 1;
    }, at, int(sizeof at));
    std::uint32_t ms = 0;
    if (given && parseSeconds(at, ms))
        options.atMs = ms;
    options.still = EM_ASM_INT({ return new URLSearchParams(window.location.search).has("still") ? 1 : 0; }) != 0;
    options.loop = EM_ASM_INT({ return new URLSearchParams(window.location.search).has("loop") ? 1 : 0; }) != 0;
    options.window = EM_ASM_INT({ return new URLSearchParams(window.location.search).has("window") ? 1 : 0; }) != 0;
    return options;
}

PageOptions page;
bool ended = false;
std::uint64_t framesDrawn = 0;

// Tells the page's script how things stand: "first-frame", "still", "playing", "ended".
void announce(const char* what)
{
    EM_ASM({
        const what = UTF8ToString($0);
        document.body.dataset.show = what;
        if (Module.onShow)
            Module.onShow(what);
    }, what);
}

void carryOut(const WindowChanges& changes)
{
    if (changes.quit) {
        ended = true;
        return;
    }
    if (changes.screen == WindowChanges::Screen::enterFullScreen)
        EM_ASM({ if (document.documentElement.requestFullscreen) document.documentElement.requestFullscreen().catch(function() {}); });
    else if (changes.screen == WindowChanges::Screen::leaveFullScreen)
        EM_ASM({ if (document.fullscreenElement) document.exitFullscreen().catch(function() {}); });
}

// One frame of the playing show: the desktop display callback's steps.
void displayFrame()
{
    std::uint32_t showTimeMs = advanceShowClock();
    if (showState.scene == endScene && loopAtEnd())
        showTimeMs = advanceShowClock();
    else
        holdPausedMoment(showTimeMs);
    if (showState.scene == endScene) {
        // The desktop program ends here; the page keeps the last frame it drew.
        ended = true;
        return;
    }
    drawFrameAt(showTimeMs);
    drawStatusLineIfShown(showTimeMs);
    ++framesDrawn;
    carryOut(afterFrame(showTimeMs));
}

EM_BOOL animationFrame(double, void*)
{
    if (ended) {
        pauseMusic();
        announce("ended");
        return EM_FALSE;
    }
    displayFrame();
    if (ended) {
        pauseMusic();
        announce("ended");
        return EM_FALSE;
    }
    return EM_TRUE;
}

EM_BOOL keyDown(int, const EmscriptenKeyboardEvent* event, void*)
{
    if (ended)
        return EM_FALSE;
    const std::string key = event->key;
    Control control = Control::none;
    if (key == "Escape") {
        ended = true;
        return EM_TRUE;
    }
    if (key == "ArrowRight") control = controlForSpecialKey(GLUT_KEY_RIGHT);
    else if (key == "ArrowLeft") control = controlForSpecialKey(GLUT_KEY_LEFT);
    else if (key == "PageUp") control = controlForSpecialKey(GLUT_KEY_PAGE_UP);
    else if (key == "PageDown") control = controlForSpecialKey(GLUT_KEY_PAGE_DOWN);
    else if (key == "Home") control = controlForSpecialKey(GLUT_KEY_HOME);
    else if (key == "F11") control = controlForSpecialKey(GLUT_KEY_F11);
    else if (key.size() == 1) control = controlForKey(static_cast<unsigned char>(key[0]));
    if (control == Control::none)
        return EM_FALSE;
    carryOut(applyControl(control));
    return EM_TRUE;
}

} // namespace

// Called by the page's Play button (and Space or Return before the show starts): the sound may
// start now that the viewer has acted.
extern "C" EMSCRIPTEN_KEEPALIVE void startShow()
{
    if (page.still || showState.clockStarted)
        return;
    // The run starts afresh from the moment the first frame showed, as the desktop's does.
    rebuildRunAt(page.atMs);
    openMusic();
    playMusic();
    // The show's full screen, now that the viewer has acted (browsers allow it only then).
    if (!page.window)
        carryOut({false, false, WindowChanges::Screen::enterFullScreen, false, {}});
    announce("playing");
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, keyDown);
    emscripten_request_animation_frame_loop(animationFrame, nullptr);
}

// The show time of the frame on the canvas, for the page's script and its tests.
extern "C" EMSCRIPTEN_KEEPALIVE double showTime()
{
    if (!showState.clockStarted)
        return double(firstFrameTime());
    return double(std::int32_t(clockReadingMs() - showState.startTime));
}

// What the page has drawn so far, for benchmarks: 0 the frames, 1 the layer's draw calls, 2 its
// state uploads before draws, 3 its buffer and texture uploads, 4 its state changes.
extern "C" EMSCRIPTEN_KEEPALIVE double pageCount(int which)
{
    const CompatCounts counts = compatCounts();
    switch (which) {
    case 0: return double(framesDrawn);
    case 1: return double(counts.drawCalls);
    case 2: return double(counts.stateUploads);
    case 3: return double(counts.bufferUploads);
    case 4: return double(counts.stateChanges);
    default: return 0.0;
    }
}

int main()
{
    page = readAddress();
    int width = 0, height = 0;
    emscripten_get_canvas_element_size("#canvas", &width, &height);

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
        !initCompatLayer(width, height)) {
        announce("no-webgl2");
        return 0;
    }

    setFirstFrameTime(page.atMs);
    if (!initDrawing())
        return 0;
    reshapeWindow(width, height);
    initControls(!page.window, width, height, page.loop);

    if (page.still) {
        // The frame showcap's `frame` draws: the run rebuilt up to it, then the frame itself.
        constexpr int fps = showReplayFramesPerSecond;
        replayRunUntil(page.atMs, fps);
        const std::uint32_t frameMs = runFrameTime(firstFrameFrom(page.atMs, fps), fps);
        if (frameMs < std::uint32_t(showEndMs))
            drawFrameAt(frameMs);
        announce("still");
        return 0;
    }

    // The first frame, drawn and held until Play.
    if (page.atMs > 0)
        replayShowUntil(page.atMs);
    drawFrameAt(page.atMs);
    announce("first-frame");
    return 0;
}
