// The modal notice, through the Windows user interface: formatted with wsprintfA, shown with
// MessageBoxA without an owner window or a caption, with one OK button. The show's text is UTF-8;
// the box shows it in the ANSI code page (the same bytes for a text of plain ASCII).
#include "platform/notice.h"

#include "platform/win/text.h"

#include <cstring>
#include <string>
#include <windows.h>

void showNotice(const char* utf8Text)
{
    std::string ansi;
    ansiFromUtf8(utf8Text, ansi);
    const char* text = ansi.c_str();
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
