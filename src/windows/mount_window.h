#pragma once
// The mount assistant's dialog: the gear train and the tracking rate in, the
// worm-turn time, the steps per turn and the speeds in the sky out, live.
// "Appliquer" writes DureeTour and PasParTour into the window's boxes, as
// typing would; the window stays disabled while the dialog is open. Its
// « Calibration » page corrects the window's DureeTour from a drift timed on
// the sky; there "Appliquer" writes the corrected DureeTour alone.

#include "axes/mount_dialog_texts.h"
#include "windows/owned_dialog.h"

#include <windows.h>

#include <string>
#include <vector>

namespace korval
{

class MountWindow : public OwnedDialog
{
public:
    explicit MountWindow(Win32Form& form);

    // Creates the dialog afresh (nothing is kept between openings) and shows it.
    void open();
    void apply();
    bool translateDialogMessage(MSG& message);
    // 0 the gear train, 1 the calibration; as a click on its tab would.
    void showPage(int page);
    int page() const { return m_page; }

    HWND mountList() const { return m_mount; }
    HWND teeth() const { return m_teeth; }
    HWND motorSteps() const { return m_motorSteps; }
    HWND reduction() const { return m_reduction; }
    HWND halfStep() const { return m_halfStep; }
    HWND rate() const { return m_rate; }
    HWND results() const { return m_results; }
    HWND applyButton() const { return m_apply; }
    HWND tabs() const { return m_tabs; }
    HWND drift() const { return m_drift; }
    HWND plateScale() const { return m_plateScale; }
    HWND duration() const { return m_duration; }
    HWND east() const { return m_east; }
    HWND west() const { return m_west; }
    HWND directionHelp() const { return m_directionHelp; }
    HWND declination() const { return m_declination; }
    HWND calibrationRate() const { return m_calibrationRate; }
    HWND calibrationResults() const { return m_calibrationResults; }

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void recompute(bool fromList = false);
    void recomputeCalibration(bool fromList = false);
    void showApplicable();
    // Each page's controls, as the Qt dialog's two tabs; the helpers take 96-DPI units.
    void makeGearTrainPage();
    void makeCalibrationPage();
    HWND make(const wchar_t* kind, const std::wstring& text, DWORD style, DWORD extended, int left,
              int top, int width, int height, int id);
    HWND add(int page, HWND control);
    void label(int page, const std::wstring& caption, int top);
    HWND box(int page, int top, int width, int id, const char* help); // with its tooltip
    void chooseMount(); // fills the gear train from the list's row
    HWND rateList(int page, int top, int id);
    HWND resultsBox(int page, int top, int height, int id);
    DWORD listLook() const;   // by night drawn by the dialog, in red
    DWORD scrollBars() const; // none by night: the wheel and the keys scroll

    HWND m_mount = nullptr;
    HWND m_teeth = nullptr;
    HWND m_motorSteps = nullptr;
    HWND m_reduction = nullptr;
    HWND m_halfStep = nullptr;
    HWND m_rate = nullptr;
    HWND m_results = nullptr;
    HWND m_apply = nullptr;
    HWND m_tabs = nullptr;
    HWND m_drift = nullptr;
    HWND m_plateScale = nullptr;
    HWND m_duration = nullptr;
    HWND m_east = nullptr;
    HWND m_west = nullptr;
    HWND m_directionHelp = nullptr;
    HWND m_declination = nullptr;
    HWND m_calibrationRate = nullptr;
    HWND m_calibrationResults = nullptr;
    std::vector<HWND> m_pages[kMountPageCount]; // each page's controls, shown with its tab
    int m_page = 0;
    HFONT m_font = nullptr;   // the window's, not owned
    bool m_filling = false;   // the list is filling the boxes
    MountDialogState m_state; // both pages' results, what "Appliquer" writes
};

} // namespace korval
