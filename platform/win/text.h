// Text between the show's UTF-8 strings and Windows' wide (UTF-16) and ANSI code page forms.
// Paths are UTF-8 inside the show and wide at the file API, so a folder named outside the ANSI
// code page still opens; only what must go through an ANSI call (MCI's command strings,
// MessageBoxA) is turned to the code page.
#pragma once

#include <string>

std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const std::wstring& text);

// The text in the ANSI code page; false when a character has no place in it (the text then holds
// the code page's stand-in for it).
bool ansiFromUtf8(const std::string& text, std::string& ansi);
