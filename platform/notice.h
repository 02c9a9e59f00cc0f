// A modal notice: the text with one OK button, returning when dismissed. Without a display it
// writes the text to standard error instead and returns at once.
#pragma once

void showNotice(const char* text);
