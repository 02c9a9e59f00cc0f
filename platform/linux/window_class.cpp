// WM_CLASS for GLUT's windows. freeglut sets a new window's properties with one call to
// XSetWMProperties, before it maps the window, and passes no class. This definition takes
// libX11's place for freeglut (the dynamic linker binds a library's calls to the program's own
// definition first) and hands the call on with the class filled in, so that the window manager
// finds it when the window first shows. Only the class is added: everything else goes through
// unchanged, and without a class set the call is passed on as it came.
#include "platform/window_class.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

namespace {

const char* instanceName = nullptr;
const char* className = nullptr;

} // namespace

void useWindowClass(const char* instance, const char* windowClass)
{
    instanceName = instance;
    className = windowClass;
}

extern "C" void XSetWMProperties(Display* display, Window window, XTextProperty* windowName, XTextProperty* iconName,
                                 char** argv, int argc, XSizeHints* normalHints, XWMHints* wmHints,
                                 XClassHint* classHints)
{
    using SetProperties = void (*)(Display*, Window, XTextProperty*, XTextProperty*, char**, int, XSizeHints*,
                                   XWMHints*, XClassHint*);
    static const SetProperties setProperties =
        reinterpret_cast<SetProperties>(dlsym(RTLD_NEXT, "XSetWMProperties"));
    if (!setProperties)
        return;
    XClassHint hint{const_cast<char*>(instanceName), const_cast<char*>(className)};
    if (!classHints && className)
        classHints = &hint;
    setProperties(display, window, windowName, iconName, argv, argc, normalHints, wmHints, classHints);
}

// Full screen on an X server without a window manager (a kiosk, a bare Xvfb). With no window
// manager to ask, freeglut makes a window full screen itself, with one XMoveResizeWindow to the
// screen's size at minus the window's position in its parent, meant to take a window manager's
// frame off screen. With no frame the parent is the root window, so the window lands at minus its
// own position (-100,-100 from the start's 100,100) and leaves strips uncovered. The definition
// below takes libX11's place for freeglut in the same way and puts such a call at 0,0; every
// other call goes through unchanged.

namespace {

// True when `window` is a child of the root window (no window manager's frame around it), at
// x, y in it, and `width` x `height` is the whole screen.
bool coversScreenFromOwnPosition(Display* display, Window window, int x, int y, unsigned width, unsigned height)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || !attributes.screen)
        return false;
    if (width != unsigned(WidthOfScreen(attributes.screen)) || height != unsigned(HeightOfScreen(attributes.screen)))
        return false;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return false;
    if (children)
        XFree(children);
    return parent == root && x == -attributes.x && y == -attributes.y;
}

} // namespace

extern "C" int XMoveResizeWindow(Display* display, Window window, int x, int y, unsigned width, unsigned height)
{
    using MoveResize = int (*)(Display*, Window, int, int, unsigned, unsigned);
    static const MoveResize moveResize = reinterpret_cast<MoveResize>(dlsym(RTLD_NEXT, "XMoveResizeWindow"));
    if (!moveResize)
        return 0;
    if ((x != 0 || y != 0) && coversScreenFromOwnPosition(display, window, x, y, width, height))
        x = y = 0;
    return moveResize(display, window, x, y, width, height);
}
