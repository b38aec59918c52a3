#include "windows/win32_common.h"

#include "files/text_utf16.h"

namespace korval
{

void registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                         HBRUSH background, HICON icon)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    windowClass.hIcon = icon;
    RegisterClassExW(&windowClass);
}

std::wstring windowText(HWND control)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(control, text.data(), int(text.size()))));
    return text;
}

std::wstring withCrLf(const std::string& text)
{
    std::wstring out;
    for (const wchar_t c : widen(text)) {
        if (c == L'\r') continue;
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

} // namespace korval
