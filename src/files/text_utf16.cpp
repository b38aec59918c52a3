#include "files/text_utf16.h"

#include <windows.h>

namespace korval
{

namespace
{
bool convert(const std::string& utf8, DWORD flags, std::wstring& utf16)
{
    utf16.clear();
    if (utf8.empty()) return true;
    const int length =
        MultiByteToWideChar(CP_UTF8, flags, utf8.data(), int(utf8.size()), nullptr, 0);
    if (length <= 0) return false;
    utf16.resize(std::size_t(length));
    return MultiByteToWideChar(CP_UTF8, flags, utf8.data(), int(utf8.size()), &utf16[0], length) ==
           length;
}
} // namespace

std::wstring widen(const std::string& utf8)
{
    std::wstring utf16;
    convert(utf8, 0, utf16);
    return utf16;
}

bool widenExactly(const std::string& utf8, std::wstring& utf16)
{
    return convert(utf8, MB_ERR_INVALID_CHARS, utf16);
}

std::string narrow(const std::wstring& utf16)
{
    if (utf16.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0) return {};
    std::string out(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), &out[0], length, nullptr,
                        nullptr);
    return out;
}

} // namespace korval
