// The class the window system groups the show's window under (X11's WM_CLASS), which GLUT
// leaves unset.
#pragma once

// Names the class of the windows created from now on; `instance` is the program's own name
// (ICCCM's res_name), `windowClass` the class. Both are kept, not copied.
void useWindowClass(const char* instance, const char* windowClass);
