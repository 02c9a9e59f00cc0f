// The modal notice, through SDL's simple message box.
#include "app/platform/notice.h"

#include <SDL.h>
#include <cstdio>

void showNotice(const char* text)
{
    // "Error" stands where the original platform showed its default caption.
    if (SDL_ShowSimpleMessageBox(0, "Error", text, nullptr) != 0)
        std::fprintf(stderr, "%s\n", text);
}
