// The show's entry: its command line, a full-screen GLUT window (or a normal one), its callbacks,
// the one-time set-up, then GLUT's main loop for good.
#include "app/controls.h"
#include "app/data_files.h"
#include "app/music.h"
#include "app/run.h"
#include "app/show_options.h"
#include "app/startup.h"
#include "app/window.h"
#include "platform/allocator.h"
#include "platform/command_line.h"
#include "platform/window_class.h"
#include "platform/window_frame.h"

#include <GL/freeglut.h>
#include <GL/glext.h> // GL_SAMPLES, where gl.h stops at OpenGL 1.1
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int usageStatus = 2;
constexpr const char* installedName = "iroiro";

// Reads the command line and sets the data folder and the starting time; returns false with the
// exit status when the show is not to run (help, or a mistake in the command line).
bool applyCommandLine(int argc, char** argv, ShowOptions& options, int& status)
{
    // Messages, the usage and the version name the program as it was started.
    const std::string program = commandName(argc > 0 ? argv[0] : nullptr, installedName);
    const char* const name = program.c_str();
    std::string error;
    if (!parseShowOptions(commandLineArguments(argc, argv), options, error)) {
        std::fprintf(stderr, "%s: %s\n%s", name, error.c_str(), showUsage(program).c_str());
        status = usageStatus;
        return false;
    }
    if (options.help) {
        std::fputs(showHelp(program).c_str(), stdout);
        status = 0;
        return false;
    }
    if (options.version) {
        std::fputs(versionLine(program, installedName, SHOW_VERSION).c_str(), stdout);
        status = 0;
        return false;
    }
    const std::string& requested = options.shared.dataFolder;
    std::string passedOver;
    const std::string folder = locateDataFolder(requested, &passedOver);
    if (folder.empty() && !requested.empty()) {
        std::fprintf(stderr, "%s: --data %s: no %s/ folder there\n%s", name, requested.c_str(), dataFolderName,
                     showUsage(program).c_str());
        status = usageStatus;
        return false;
    }
    // With nothing found, ./iroiro/ as always: each missing picture gives its notice, after one
    // line here on where the show looked and how to point it elsewhere.
    if (!folder.empty())
        setDataFolder(folder + "/" + dataFolderName + "/");
    if (!passedOver.empty())
        std::fprintf(stderr, "%s: reading the data from %s (%s/%s/ holds only some of the files)\n", name,
                     dataFolder().c_str(), passedOver.c_str(), dataFolderName);
    const std::vector<std::string> missing = missingPictures();
    if (!missing.empty()) {
        std::string names;
        for (const std::string& name : missing)
            names += (names.empty() ? "" : ", ") + name;
        std::fprintf(stderr, "%s: missing from %s: %s (--data DIR reads the data from DIR/%s/)\n", name,
                     dataFolder().c_str(), names.c_str(), dataFolderName);
    }
    setFirstFrameTime(options.shared.atMs);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    useParentConsole();
    ShowOptions options;
    int status = 0;
    if (!applyCommandLine(argc, argv, options, status))
        return status;

    // GLUT gets the program's name and its own options; with no options that is argv unchanged.
    std::vector<char*> glutArgv{argv[0]};
    for (std::string& arg : options.glutArgs)
        glutArgv.push_back(arg.data());
    glutArgv.push_back(nullptr);
    int glutArgc = int(glutArgv.size()) - 1;

    tuneAllocatorForDrawing();
    // Under an address-space limit too tight for the renderer, Mesa would fail to load it in
    // lines of its own (or fail later, part-way): one line here names the limit instead.
    std::string tooTight;
    if (!addressSpaceHoldsRenderer(0, tooTight)) {
        std::fprintf(stderr, "%s: %s\n", commandName(argc > 0 ? argv[0] : nullptr, installedName).c_str(), tooTight.c_str());
        return 1;
    }
    glutInit(&glutArgc, glutArgv.data());
    const unsigned int displayMode = GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH;
    const std::string program = commandName(argv[0], installedName);
    bool multisampled = false;
    if (options.msaa > 0) {
        glutSetOption(GLUT_MULTISAMPLE, options.msaa);
        glutInitDisplayMode(displayMode | GLUT_MULTISAMPLE);
        multisampled = glutGet(GLUT_DISPLAY_MODE_POSSIBLE) != 0;
    }
    if (!multisampled)
        glutInitDisplayMode(displayMode);
    if (options.window) {
        // Centred on the screen it opens on, and shrunk to fit it when larger.
        const WindowPlacement window = centredWindow(placementArea(), windowFrame(), options.width, options.height);
        glutInitWindowPosition(window.x, window.y);
        glutInitWindowSize(window.width, window.height);
    } else {
        glutInitWindowPosition(fullScreenStartX, fullScreenStartY);
        glutInitWindowSize(fullScreenStartWidth, fullScreenStartHeight);
    }
    // Titled with the program's path; grouped by the window system under the show's own class.
    // The window system keeps the instance name until the window is made: it outlives this call.
    static const std::string instance = commandName(argv[0], installedName);
    useWindowClass(instance.c_str(), installedName);
    glutCreateWindow(argv[0]);
    if (options.msaa > 0) {
        GLint samples = 0;
        if (multisampled)
            glGetIntegerv(GL_SAMPLES, &samples);
        if (samples == 0)
            std::fprintf(stderr, "%s: --msaa %d: this display offers no multisampled window; the show runs without\n",
                         program.c_str(), options.msaa);
        else if (samples != options.msaa)
            std::fprintf(stderr, "%s: --msaa %d: this display offers %d samples per pixel, used instead\n",
                         program.c_str(), options.msaa, int(samples));
    }
    if (!options.window) {
        glutFullScreen();
        glutSetCursor(GLUT_CURSOR_NONE);
    }
    setScreenshotFolder(options.shotsFolder);
    setPictureAspect(options.aspect);
    initControls(!options.window, options.width, options.height, options.loop, options.volumePercent);
    if (options.volumePercent != 100)
        setMusicVolume(options.volumePercent, false); // sent once the soundtrack is open
    registerWindowCallbacks();

    initGraphics();
    // Closed while a notice was up (Windows lets the window go during the modal box): the show
    // has nothing left to run in, and ends as a close ends it.
    if (glutGetWindow() == 0)
        return 0;
    glutMainLoop();
    return 0;
}
