// The viewer's controls: what each key asks for, pausing on a held clock, the jumps (carried out
// after the frame that applies them, by rebuilding the run the way a start part-way through
// does), full screen, looping and the status line's timing.
#include "app/controls.h"

#include "app/frame.h"
#include "app/music.h"
#include "app/replay.h"
#include "app/run.h"
#include "app/screenshot.h"
#include "app/show_options.h"
#include "app/show_state.h"
#include "app/status_line.h"
#include "app/timeline.h"
#include "platform/timer.h"

#include <GL/freeglut.h> // the special keys' codes
#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

constexpr std::int64_t jumpStepMs = 10000;

// Where a flag's step and the presses beyond it put the clock: the presses each count one step.
std::int32_t withExtraPresses(std::int32_t clockMs, int forwardPresses, int backPresses)
{
    const std::int64_t extra = std::int64_t(std::max(0, forwardPresses - 1)) - std::max(0, backPresses - 1);
    const std::int64_t target = std::int64_t(clockMs) + extra * jumpStepMs;
    // Far enough back to wait a long time for 0 s, never so far that the clock's arithmetic wraps.
    return std::int32_t(std::clamp<std::int64_t>(target, INT_MIN / 2, showEndMs));
}

// How long the status line stays after a key, in ms of real time (not show time, which a pause
// or a jump moves).
constexpr int statusShownMs = 1500;

struct Controls {
    bool fullScreen = false;
    int windowWidth = defaultWindowWidth; // the window a toggle out of full screen goes to
    int windowHeight = defaultWindowHeight;
    bool windowSizePending = false; // out of full screen, the restored window still to come
    bool placeWindow = false;       // the restored window has come: place it after the frame
    bool loop = false;

    bool paused = false;
    std::uint32_t pausedReading = 0; // the timer reading the show clock is held at

    bool stepRequested = false;        // skipForward or skipBack set by a key, not yet followed
    // Presses of Right and Left since the last jump was carried out. The flags move the clock by
    // one step each, however many presses came before the clock step took them; the presses
    // beyond the first each add their own step when the jump is carried out.
    int forwardPresses = 0;
    int backPresses = 0;
    Control sceneJump = Control::none; // a scene jump, restart or frame step, not yet carried out

    bool soundMoved = false;        // the show time moved while paused: on resume, play from there
    bool soundWaitsForZero = false; // sent back before 0 s: the sound starts when the clock does

    bool rebuiltForNextFrame = false; // rebuilt at the next frame's moment, nothing drawn since

    bool statusAsked = false;     // a key asked for the line
    std::uint32_t statusSinceMs = 0; // the platform timer's reading at that key
    bool mentionLoopOff = false;

    int volumePercent = 100;
    bool muted = false;
    bool mentionVolume = false; // a volume key was pressed: the line says the volume

    bool shotAsked = false;  // s: the next frame is saved
    std::string shotsFolder; // "" for the working folder
    std::string shotNotice;  // the saved file's name, or why it was not saved, for the line

    PictureAspect aspect;
    bool mentionAspect = false; // a was pressed: the line says the aspect, stretch too
};

Controls controls;

// The scene playing at `showTimeMs`: 1 before the show starts, the last one at or past its end.
int sceneAt(std::int32_t showTimeMs)
{
    for (int scene = sceneCount; scene > 1; --scene)
        if (showTimeMs >= sceneStartMs(scene))
            return scene;
    return 1;
}

// The show clock where the timer is now, taken as a signed count.
std::int32_t clockNowMs()
{
    return std::int32_t(clockReadingMs() - showState.startTime);
}

// Moves the run to `targetMs`: the values scenes hand on, the light ring and the GL state
// rebuilt as a run at the show's frame rate carries them into that moment, the clock set so that
// the next frame shows it, and the soundtrack from there. The clock holds while the run is
// rebuilt. A target at or past the end leaves the next frame to end the show, as the schedule
// does. A target below 0 (a jump back in the first 10 s) keeps what the jump left: the picture
// holds until the clock catches up, and the sound is silent until then.
void moveShowTo(std::int32_t targetMs)
{
    controls.soundWaitsForZero = false;
    if (targetMs < 0) {
        startShowClock(clockReadingMs(), std::uint32_t(targetMs)); // unsigned: wraps to before 0
        pauseMusic();
        controls.soundWaitsForZero = true;
        return;
    }
    if (targetMs < showEndMs) {
        rebuildRunAt(std::uint32_t(targetMs));
        controls.rebuiltForNextFrame = true;
    }
    startShowClock(clockReadingMs(), std::uint32_t(targetMs));
    if (targetMs >= showEndMs)
        return;
    if (controls.paused)
        controls.soundMoved = true;
    else
        playMusicFrom(std::uint32_t(targetMs));
}

void pause()
{
    controls.paused = true;
    controls.pausedReading = clockReadingMs();
    // The clock stops: every reading until the resume is this one, so each redraw shows the same
    // moment. The window takes its idle callback away (showPaused) and draws only when it needs to.
    holdClockAt(controls.pausedReading);
    pauseMusic();
}

void resume()
{
    releaseClock();
    if (showState.clockStarted)
        showState.startTime += clockReadingMs() - controls.pausedReading; // on from the paused moment
    controls.paused = false;
    if (controls.soundWaitsForZero) {
        // afterFrame starts it when the clock reaches 0
    } else if (controls.soundMoved) {
        const std::int32_t now = clockNowMs();
        if (now >= 0 && now < showEndMs)
            playMusicFrom(std::uint32_t(now));
    } else {
        resumeMusic();
    }
    controls.soundMoved = false;
}

WindowChanges::Screen toggleFullScreen()
{
    controls.fullScreen = !controls.fullScreen;
    if (controls.fullScreen) {
        controls.windowSizePending = false;
        controls.placeWindow = false;
        return WindowChanges::Screen::enterFullScreen;
    }
    // GLUT puts back the window it had before full screen (at start-up, the one it is created
    // with); once that has arrived, the window of the --window size is placed.
    controls.windowSizePending = true;
    return WindowChanges::Screen::leaveFullScreen;
}

} // namespace

WindowChanges applyControl(Control control)
{
    WindowChanges changes;
    switch (control) {
    case Control::none: return changes;
    case Control::quit: changes.quit = true; return changes;
    case Control::togglePause: controls.paused ? resume() : pause(); break;
    case Control::forward:
    case Control::back:
    case Control::previousScene:
    case Control::nextScene:
    case Control::restart: requestJump(control); break;
    case Control::stepForward:
    case Control::stepBack:
        // Playing, the next frame is already a step on: the keys only move a held picture.
        if (!controls.paused)
            return changes;
        requestJump(control);
        break;
    case Control::toggleFullScreen: changes.screen = toggleFullScreen(); break;
    case Control::toggleLoop:
        controls.loop = !controls.loop;
        controls.mentionLoopOff = !controls.loop;
        break;
    case Control::toggleMute:
        controls.muted = !controls.muted;
        controls.mentionVolume = true;
        setMusicVolume(controls.volumePercent, controls.muted);
        break;
    case Control::screenshot:
        controls.shotAsked = true;
        break;
    case Control::cycleAspect:
        controls.aspect = nextAspect(controls.aspect);
        controls.mentionAspect = true;
        changes.reshape = true;
        break;
    case Control::volumeDown:
    case Control::volumeUp:
        // A step while muted sets the volume the unmute comes back to; the sound stays off.
        controls.volumePercent = steppedVolume(control, controls.volumePercent);
        controls.mentionVolume = true;
        setMusicVolume(controls.volumePercent, controls.muted);
        break;
    }
    controls.statusAsked = true;
    controls.statusSinceMs = readTimerMs();
    // While paused no frame is coming by itself: this one shows the change.
    changes.redisplay = true;
    return changes;
}

Control controlForKey(unsigned char key)
{
    switch (key) {
    case ' ': return Control::togglePause;
    case 'q': case 'Q': return Control::quit;
    case 'f': case 'F': return Control::toggleFullScreen;
    case 'l': case 'L': return Control::toggleLoop;
    case 'm': case 'M': return Control::toggleMute;
    case 's': case 'S': return Control::screenshot;
    case 'a': case 'A': return Control::cycleAspect;
    case '9': case '-': return Control::volumeDown;
    case '0': case '+': return Control::volumeUp;
    case '.': return Control::stepForward;
    case ',': return Control::stepBack;
    default: return Control::none;
    }
}

Control controlForSpecialKey(int key)
{
    switch (key) {
    case GLUT_KEY_RIGHT: return Control::forward;
    case GLUT_KEY_LEFT: return Control::back;
    case GLUT_KEY_PAGE_UP: return Control::previousScene;
    case GLUT_KEY_PAGE_DOWN: return Control::nextScene;
    case GLUT_KEY_HOME: return Control::restart;
    case GLUT_KEY_F11: return Control::toggleFullScreen;
    default: return Control::none;
    }
}

std::int32_t sceneJumpTarget(Control control, std::int32_t showTimeMs)
{
    const int scene = sceneAt(showTimeMs);
    switch (control) {
    case Control::previousScene: return scene == 1 ? 0 : sceneStartMs(scene - 1);
    case Control::nextScene: return scene == sceneCount ? showEndMs : sceneStartMs(scene + 1);
    default: return 0;
    }
}

std::int32_t frameStepTarget(Control control, std::int32_t showTimeMs)
{
    if (showTimeMs < 0)
        return 0;
    const std::uint32_t t = std::uint32_t(showTimeMs);
    const int fps = showReplayFramesPerSecond;
    // The first frame at or after t; t itself when it is a frame's time.
    const std::uint64_t frame = firstFrameFrom(t, fps);
    if (control == Control::stepBack)
        return frame == 0 ? 0 : std::int32_t(runFrameTime(frame - 1, fps));
    const std::uint64_t next = runFrameTime(frame, fps) == t ? frame + 1 : frame;
    const std::uint32_t target = runFrameTime(next, fps);
    return target >= std::uint32_t(showEndMs) ? showTimeMs : std::int32_t(target);
}

void setPictureAspect(const PictureAspect& aspect)
{
    controls.aspect = aspect;
}

const PictureAspect& pictureAspect()
{
    return controls.aspect;
}

PictureAspect nextAspect(const PictureAspect& aspect)
{
    PictureAspect next;
    if (aspect.kind == PictureAspect::Kind::stretch)
        next.kind = PictureAspect::Kind::square;
    return next;
}

void setScreenshotFolder(const std::string& folder)
{
    controls.shotsFolder = folder;
}

int steppedVolume(Control control, int percent)
{
    const int step = control == Control::volumeDown ? -10 : control == Control::volumeUp ? 10 : 0;
    return std::clamp(percent + step, 0, 100);
}

void initControls(bool fullScreen, int windowWidth, int windowHeight, bool loop, int volumePercent)
{
    const std::string shotsFolder = controls.shotsFolder;
    const PictureAspect aspect = controls.aspect;
    controls = Controls{};
    controls.shotsFolder = shotsFolder;
    controls.aspect = aspect;
    controls.volumePercent = std::clamp(volumePercent, 0, 100);
    controls.fullScreen = fullScreen;
    controls.windowWidth = windowWidth;
    controls.windowHeight = windowHeight;
    controls.loop = loop;
}

void requestJump(Control control)
{
    switch (control) {
    case Control::forward:
        showState.skipForward = 1;
        controls.forwardPresses = std::min(controls.forwardPresses + 1, INT_MAX / 2);
        controls.stepRequested = true;
        break;
    case Control::back:
        showState.skipBack = 1;
        controls.backPresses = std::min(controls.backPresses + 1, INT_MAX / 2);
        controls.stepRequested = true;
        break;
    case Control::previousScene:
    case Control::nextScene:
    case Control::restart:
    case Control::stepForward:
    case Control::stepBack: controls.sceneJump = control; break;
    default: break;
    }
}

bool takeJumpTarget(std::int32_t frameShowTimeMs, std::int32_t& targetMs)
{
    if (controls.sceneJump != Control::none) {
        const Control jump = controls.sceneJump;
        targetMs = jump == Control::stepForward || jump == Control::stepBack
                       ? frameStepTarget(jump, frameShowTimeMs)
                       : sceneJumpTarget(jump, frameShowTimeMs);
        controls.sceneJump = Control::none;
        controls.stepRequested = false;
        controls.forwardPresses = controls.backPresses = 0;
        return true;
    }
    if (!controls.stepRequested || showState.skipForward == 1 || showState.skipBack == 1)
        return false;
    controls.stepRequested = false;
    targetMs = withExtraPresses(clockNowMs(), controls.forwardPresses, controls.backPresses);
    controls.forwardPresses = controls.backPresses = 0;
    return true;
}

WindowPlacement centredWindow(const ScreenArea& area, const FrameExtents& frame, int width, int height)
{
    WindowPlacement placement;
    const int frameWidth = frame.left + frame.right;
    const int frameHeight = frame.top + frame.bottom;
    placement.width = std::max(1, std::min(width, area.width - frameWidth));
    placement.height = std::max(1, std::min(height, area.height - frameHeight));
    placement.x = area.x + std::max(0, (area.width - placement.width - frameWidth) / 2);
    placement.y = area.y + std::max(0, (area.height - placement.height - frameHeight) / 2);
    return placement;
}

WindowChanges windowResized()
{
    WindowChanges changes;
    if (!controls.windowSizePending)
        return changes;
    controls.windowSizePending = false;
    controls.placeWindow = true;
    changes.redisplay = true; // while paused, the frame after which the window is placed
    return changes;
}

bool loopAtEnd()
{
    if (!controls.loop)
        return false;
    moveShowTo(0);
    return true;
}

bool holdPausedMoment(std::uint32_t frameShowTimeMs)
{
    if (!controls.paused || controls.rebuiltForNextFrame || controls.stepRequested ||
        controls.sceneJump != Control::none)
        return false;
    const std::int32_t t = std::int32_t(frameShowTimeMs);
    if (t < 0 || t >= showEndMs)
        return false; // a clock sent back before 0 holds the picture as the jump left it
    const std::uint32_t startTime = showState.startTime;
    rebuildRunAt(frameShowTimeMs);
    showState.clockStarted = true;
    showState.startTime = startTime;
    updateSchedule(t);
    return true;
}

void takeScreenshotIfAsked(std::uint32_t frameShowTimeMs, int width, int height)
{
    if (!controls.shotAsked)
        return;
    controls.shotAsked = false;
    std::string message;
    if (!saveScreenshot(controls.shotsFolder, std::int32_t(frameShowTimeMs), width, height, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        std::fflush(stderr);
    }
    controls.shotNotice = message;
    // The line names the file for its usual time from now, the moment it was written.
    controls.statusAsked = true;
    controls.statusSinceMs = readTimerMs();
}

void drawStatusLineIfShown(std::uint32_t frameShowTimeMs)
{
    // Sent back before 0 s, the picture holds until the clock is back at 0: the line stays up,
    // counting towards it, so that the held picture is not taken for a hang.
    const bool waitingForZero = controls.soundWaitsForZero && std::int32_t(frameShowTimeMs) < 0;
    if (!controls.paused && !waitingForZero) {
        if (!controls.statusAsked)
            return;
        // Real time, which a pause or a jump does not move: the platform timer's.
        if (readTimerMs() - controls.statusSinceMs >= std::uint32_t(statusShownMs)) {
            controls.statusAsked = false;
            controls.mentionLoopOff = false;
            controls.mentionVolume = false;
            controls.shotNotice.clear();
            controls.mentionAspect = false;
            return;
        }
    }
    std::string line = formatStatusLine(controls.paused, std::int32_t(frameShowTimeMs), controls.loop,
                                        controls.mentionLoopOff, controls.volumePercent, controls.muted,
                                        controls.mentionVolume);
    if (controls.aspect.kind != PictureAspect::Kind::stretch || controls.mentionAspect)
        line += "  aspect " + aspectName(controls.aspect);
    if (!controls.shotNotice.empty())
        line += "  " + controls.shotNotice;
    drawStatusLine(line);
}

WindowChanges afterFrame(std::uint32_t frameShowTimeMs)
{
    WindowChanges changes;
    if (controls.placeWindow) {
        controls.placeWindow = false;
        changes.place = true;
        changes.placement =
            centredWindow(placementArea(), windowFrame(), controls.windowWidth, controls.windowHeight);
    }
    controls.rebuiltForNextFrame = false;
    const WindowChanges moved = afterClockStep(frameShowTimeMs);
    changes.redisplay = moved.redisplay;
    return changes;
}

WindowChanges afterClockStep(std::uint32_t frameShowTimeMs)
{
    WindowChanges changes;
    std::int32_t targetMs = 0;
    if (takeJumpTarget(std::int32_t(frameShowTimeMs), targetMs)) {
        moveShowTo(targetMs);
        changes.redisplay = true; // while paused, the frame at the new moment
        return changes;
    }
    if (controls.soundWaitsForZero && !controls.paused && std::int32_t(frameShowTimeMs) >= 0) {
        controls.soundWaitsForZero = false;
        playMusicFrom(frameShowTimeMs);
    }
    return changes;
}

bool showPaused()
{
    return controls.paused;
}
