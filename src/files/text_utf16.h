#pragma once
// UTF-8 (the tool's texts and paths on every system) to UTF-16 (Windows' own
// calls) and back, once for the file layer, the command line and the window.

#include <string>

namespace korval
{
std::wstring widen(const std::string& utf8);
// The same, false for bytes that are not UTF-8: a path must not change.
bool widenExactly(const std::string& utf8, std::wstring& utf16);
std::string narrow(const std::wstring& utf16);
} // namespace korval
