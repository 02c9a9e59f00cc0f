// The window class on Windows: freeglut registers its windows under a class of its own, which
// the shell groups them by, so there is nothing to add.
#include "platform/window_class.h"

void useWindowClass(const char*, const char*) {}
