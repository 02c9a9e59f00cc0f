// The modal notice, through the Windows user interface: formatted with wsprintfA, shown with
// MessageBoxA without an owner window or a caption, with one OK button.
#include "app/platform/notice.h"

#include <cstring>
#include <windows.h>

void showNotice(const char* text)
{
    // wsprintfA writes at most 1024 characters and a terminating null: the buffer holds that
    // much, and a longer text (a long data folder's path) is shown whole rather than cut.
    char buffer[1025];
    const char* shown = text;
    if (std::strlen(text) < 1024) {
        wsprintfA(buffer, "%s", text);
        shown = buffer;
    }
    MessageBoxA(nullptr, shown, nullptr, MB_OK);
}
