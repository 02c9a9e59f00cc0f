// The notice in the page: the browser's own modal dialog with the text and one OK button,
// returning when it is dismissed.
#include "platform/notice.h"

#include <emscripten.h>

void showNotice(const char* text)
{
    EM_ASM({ window.alert(UTF8ToString($0)); }, text);
}
