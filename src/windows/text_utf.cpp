#include "windows/text_utf.h"

#include <windows.h>

namespace korval
{

std::wstring widen(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), length);
    return out;
}

std::string narrow(const std::wstring& utf16)
{
    if (utf16.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), out.data(), length, nullptr,
                        nullptr);
    return out;
}

} // namespace korval
