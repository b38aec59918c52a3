#pragma once
// The mount assistant's dialog: the gear train and the tracking rate in, the
// worm-turn time, the steps per turn and the speeds in the sky out, live.
// "Appliquer" writes DureeTour and PasParTour into the window's boxes, as
// typing would; the window stays disabled while the dialog is open.

#include <windows.h>

#include <string>

namespace korval
{

class Win32Form;

class MountWindow
{
public:
    explicit MountWindow(Win32Form& form);
    ~MountWindow();
    MountWindow(const MountWindow&) = delete;
    MountWindow& operator=(const MountWindow&) = delete;

    // Creates the dialog afresh (nothing is kept between openings) and shows it.
    void open();
    void close();
    void apply();
    bool translateDialogMessage(MSG& message);

    HWND window() const { return m_window; }
    HWND teeth() const { return m_teeth; }
    HWND motorSteps() const { return m_motorSteps; }
    HWND reduction() const { return m_reduction; }
    HWND halfStep() const { return m_halfStep; }
    HWND rate() const { return m_rate; }
    HWND results() const { return m_results; }
    HWND applyButton() const { return m_apply; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void recompute(bool fromList = false);

    Win32Form& m_form;
    HWND m_window = nullptr;
    HWND m_teeth = nullptr;
    HWND m_motorSteps = nullptr;
    HWND m_reduction = nullptr;
    HWND m_halfStep = nullptr;
    HWND m_rate = nullptr;
    HWND m_results = nullptr;
    HWND m_apply = nullptr;
    HFONT m_fixedFont = nullptr;
    std::string m_dureeTour;  // the texts "Appliquer" writes; empty while an
    std::string m_pasParTour; // input is refused
};

} // namespace korval
