#pragma once
// What every window of the program does alike with Windows: its class
// registered, its controls' texts read and written.

#include <windows.h>

#include <string>

namespace korval
{

// A window class with the arrow cursor, `background` painted (none for a
// window that paints its own) and the system's icon unless one is given.
// Registering a class again fails harmlessly.
void registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                         HBRUSH background, HICON icon = nullptr);
// A control's text as it is now.
std::wstring windowText(HWND control);
// Windows' multi-line boxes break lines at CR LF only: each line end of
// `text`, LF or CR LF, becomes one CR LF.
std::wstring withCrLf(const std::string& text);

} // namespace korval
