#pragma once
// What the window's own dialogs (« Carte… », the mount assistant) share: a
// popup over the window and whole on its screen, modal to it without a loop
// of its own, its sizes in 96-DPI units scaled to the window's DPI, with
// tooltips and a fixed font; its messages reach handle(), and an exception
// one of them throws is said in a box rather than lost in the system.

#include <windows.h>

#include <string>

namespace korval
{

class Win32Form;

class OwnedDialog
{
public:
    OwnedDialog(const OwnedDialog&) = delete;
    OwnedDialog& operator=(const OwnedDialog&) = delete;

    HWND window() const { return m_window; }
    // Destroys the dialog and gives the window back its keys.
    virtual void close();
    bool translateDialogMessage(MSG& message);

protected:
    explicit OwnedDialog(Win32Form& form);
    virtual ~OwnedDialog();

    // Creates the dialog, `width` by `height`, over the window but whole on
    // its screen, with its tooltips (`tipWidth` wide at most) and its fixed
    // font made afresh; false when it is open already (then brought to the
    // front) or Windows refused it.
    bool create(const wchar_t* className, const std::string& title, int width, int height,
                int tipWidth);
    // Shows the dialog, the window disabled until it closes.
    void showOverWindow(HWND focus);
    int scaled(int value) const;
    HFONT windowFont() const; // the window's, not owned
    void addToolTip(HWND control, const std::string& help, bool update = false);
    // What a dialog leaves to every dialog: the night background, the close
    // box, then the system.
    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    Win32Form& m_form;
    HWND m_window = nullptr;
    HWND m_toolTips = nullptr; // owned by the dialog, gone with it
    HFONT m_fixedFont = nullptr;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The dialogs' fixed font at `dpi`, smoothed for the look.
HFONT fixedFont(UINT dpi, bool night);

} // namespace korval
