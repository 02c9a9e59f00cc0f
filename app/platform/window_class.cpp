// WM_CLASS for GLUT's windows. freeglut sets a new window's properties with one call to
// XSetWMProperties, before it maps the window, and passes no class. This definition takes
// libX11's place for freeglut (the dynamic linker binds a library's calls to the program's own
// definition first) and hands the call on with the class filled in, so that the window manager
// finds it when the window first shows. Only the class is added: everything else goes through
// unchanged, and without a class set the call is passed on as it came.
#include "app/platform/window_class.h"

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
