#pragma once
// UTF-8 (the form model's texts and paths) to UTF-16 (Win32) and back.

#include <string>

namespace korval
{
std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);
} // namespace korval
