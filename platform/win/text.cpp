// Conversions between UTF-8, UTF-16 and the ANSI code page through the Windows text API.
#include "platform/win/text.h"

#include <windows.h>

std::wstring wideFromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size > 0 ? std::size_t(size) : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), size);
    return wide;
}

std::string utf8FromWide(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? std::size_t(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

bool ansiFromUtf8(const std::string& text, std::string& ansi)
{
    const std::wstring wide = wideFromUtf8(text);
    ansi.clear();
    if (wide.empty())
        return true;
    BOOL lost = FALSE;
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), nullptr, 0, nullptr, &lost);
    ansi.assign(size > 0 ? std::size_t(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), ansi.data(), size, nullptr,
                            &lost);
    return !lost;
}
