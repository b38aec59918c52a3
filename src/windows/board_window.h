#pragma once
// « Carte… »: the firmware image and the whole image written from it, the
// owner's programmer commands (kept in the user's settings), and
// « Programmer », which runs the board's sequence on a worker thread with the
// window's current table, its output shown as it comes. Built from
// boardControls(); the window stays disabled while it is open.

#include "form/board_programmer.h"
#include "form/board_texts.h"
#include "windows/owned_dialog.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korval
{

namespace files
{
class NativeBoardSystem;
}

// The commands as the user left them, under the window's settings key
// (REG_SZ values CarteEcriture and CarteLecture); empty when none.
std::string storedBoardCommand(BoardControlId edit);
void storeBoardCommand(BoardControlId edit, const std::string& command);

class BoardWindow : public OwnedDialog
{
public:
    explicit BoardWindow(Win32Form& form);
    ~BoardWindow() override;

    // Creates the dialog afresh, the commands read from the settings.
    void open();
    // Stops a running programmer first and waits for it.
    void close() override;
    // The night look switched in the window: the dialog repainted in it.
    void showNightLook();

    // What its buttons do.
    void chooseFirmware();
    void writeImage();
    void program();
    void stop();

    HWND control(BoardControlId id) const;
    bool running() const { return m_worker.joinable(); }
    // The last « Programmer »'s report; Refused before any.
    const BoardReport& lastReport() const { return m_report; }

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void showEnabled();
    void append(const std::string& text);
    // From the worker: queued, then the dialog is told.
    void fromWorker(const std::string& text);
    void takeOutput();
    void finished();
    std::string text(BoardControlId id) const;
    std::string tableName() const;

    std::vector<HWND> m_controls; // in boardControls()' order
    std::thread m_worker;
    std::unique_ptr<files::NativeBoardSystem> m_system;
    std::mutex m_pendingLock;
    std::string m_pending; // the worker's output not shown yet
    BoardReport m_report;
    BoardReport m_workerReport; // written by the worker, read once it is joined
};

} // namespace korval
