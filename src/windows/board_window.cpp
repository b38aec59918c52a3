#include "windows/board_window.h"

#include "files/native_board_system.h"
#include "files/text_utf16.h"
#include "form/colour_scheme.h"
#include "windows/night_look.h"
#include "windows/win32_common.h"
#include "windows/win32_form.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <utility>

namespace korval
{

namespace
{
const wchar_t* const kBoardClass = L"KorvalCarte";
constexpr int kFirstId = 100; // then boardControls()' order
constexpr UINT kOutputWaiting = WM_APP + 10;
constexpr UINT kProgrammerDone = WM_APP + 11;

const wchar_t* settingName(BoardControlId edit)
{
    return edit == BoardControlId::ReadEdit ? L"CarteLecture" : L"CarteEcriture";
}

// A caption of the table with '&' before its mnemonic's first place; an '&'
// of the caption itself stays a character.
std::wstring withMnemonic(const char* caption, char mnemonic)
{
    std::string text;
    bool placed = mnemonic == 0;
    for (std::size_t i = 0; caption[i]; ++i) {
        if (!placed && caption[i] == mnemonic) {
            text += '&';
            placed = true;
        }
        text += caption[i] == '&' ? std::string("&&") : std::string(1, caption[i]);
    }
    return widen(text);
}

// The length of `text` without a UTF-8 sequence cut at its end, which the
// next piece of output completes.
std::size_t wholeCharacters(const std::string& text)
{
    const std::size_t size = text.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, size); ++back) {
        const auto byte = static_cast<unsigned char>(text[size - back]);
        if ((byte & 0xC0) == 0x80) continue; // a continuation byte
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

} // namespace

std::string storedBoardCommand(BoardControlId edit)
{
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, settingName(edit), RRF_RT_REG_SZ, nullptr,
                     nullptr, &size) != ERROR_SUCCESS ||
        size < sizeof(wchar_t))
        return {};
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, settingName(edit), RRF_RT_REG_SZ, nullptr,
                     value.data(), &size) != ERROR_SUCCESS)
        return {};
    value.resize(std::wcslen(value.c_str()));
    return narrow(value);
}

void storeBoardCommand(BoardControlId edit, const std::string& command)
{
    const std::wstring value = widen(command);
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, settingName(edit), REG_SZ, value.c_str(),
                    DWORD((value.size() + 1) * sizeof(wchar_t)));
}

BoardWindow::BoardWindow(Win32Form& form) : OwnedDialog(form) {}

BoardWindow::~BoardWindow()
{
    close();
}

HWND BoardWindow::control(BoardControlId id) const
{
    const std::size_t index = std::size_t(id);
    return index < m_controls.size() ? m_controls[index] : nullptr;
}

std::string BoardWindow::text(BoardControlId id) const
{
    return narrow(windowText(control(id)));
}

// The table's file: as saved, or as « Sauvegarder » would propose it, or as opened.
std::string BoardWindow::tableName() const
{
    const FormModel& model = m_form.model();
    if (!model.saveFileName().empty()) return model.saveFileName();
    if (!model.proposedSaveName().empty()) return model.proposedSaveName();
    return model.openFileName();
}

void BoardWindow::open()
{
    if (!create(kBoardClass, boardTexts().title, kBoardDialogWidth, kBoardDialogHeight, 420))
        return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const bool night = m_form.night();
    HFONT font = windowFont();

    m_controls.clear();
    int id = kFirstId;
    for (const BoardControl& entry : boardControls()) {
        const wchar_t* kind = L"BUTTON";
        DWORD style = WS_TABSTOP | BS_PUSHBUTTON;
        DWORD extended = 0;
        switch (entry.kind) {
        case BoardControlKind::Label:
            kind = L"STATIC";
            style = SS_LEFT | (entry.mnemonic ? 0 : SS_NOPREFIX);
            break;
        case BoardControlKind::Edit:
            kind = L"EDIT";
            style = WS_TABSTOP | ES_AUTOHSCROLL;
            extended = WS_EX_CLIENTEDGE;
            break;
        case BoardControlKind::Output:
            // By night no grey scroll bars: the wheel and the keys scroll.
            kind = L"EDIT";
            style = WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                    (night ? 0 : WS_VSCROLL | WS_HSCROLL);
            extended = WS_EX_CLIENTEDGE;
            break;
        case BoardControlKind::Button:
            if (entry.id == BoardControlId::Program) style = WS_TABSTOP | BS_DEFPUSHBUTTON;
            break;
        }
        const std::wstring caption =
            entry.kind == BoardControlKind::Edit || entry.kind == BoardControlKind::Output
                ? widen(entry.text)
                : withMnemonic(entry.text, entry.mnemonic);
        HWND made = CreateWindowExW(extended, kind, caption.c_str(), WS_CHILD | WS_VISIBLE | style,
                                    scaled(entry.place.x), scaled(entry.place.y),
                                    scaled(entry.place.width), scaled(entry.place.height), m_window,
                                    HMENU(INT_PTR(id++)), instance, nullptr);
        SendMessageW(made, WM_SETFONT,
                     WPARAM(entry.kind == BoardControlKind::Output ? m_fixedFont : font), FALSE);
        m_controls.push_back(made);
        if (entry.help) addToolTip(made, entry.help);
    }
    SendMessageW(control(BoardControlId::Output), EM_SETLIMITTEXT, 0, 0);

    SetWindowTextW(control(BoardControlId::FirmwareEdit),
                   widen(m_form.model().hexImageName()).c_str());
    SetWindowTextW(control(BoardControlId::WriteEdit),
                   widen(storedBoardCommand(BoardControlId::WriteEdit)).c_str());
    SetWindowTextW(control(BoardControlId::ReadEdit),
                   widen(storedBoardCommand(BoardControlId::ReadEdit)).c_str());
    SetWindowTextW(control(BoardControlId::Note),
                   widen(boardTableNote(m_form.model().hasUnsavedChanges())).c_str());
    showEnabled();
    if (night) showNightLook();

    showOverWindow(control(BoardControlId::FirmwareEdit));
}

void BoardWindow::showNightLook()
{
    if (!m_window) return;
    const bool night = m_form.night();
    paintAllAtNight(m_window, m_toolTips, night);
    // The window made its fonts again for this look: the old ones are gone.
    HFONT font = windowFont();
    HFONT oldFixed = m_fixedFont;
    m_fixedFont = fixedFont(m_form.dpi(), night);
    for (HWND made : m_controls)
        SendMessageW(made, WM_SETFONT, WPARAM(font), FALSE);
    HWND output = control(BoardControlId::Output);
    SendMessageW(output, WM_SETFONT, WPARAM(m_fixedFont), FALSE);
    if (oldFixed) DeleteObject(oldFixed);
    const LONG_PTR style = GetWindowLongPtrW(output, GWL_STYLE);
    SetWindowLongPtrW(output, GWL_STYLE,
                      night ? style & ~LONG_PTR(WS_VSCROLL | WS_HSCROLL)
                            : style | WS_VSCROLL | WS_HSCROLL);
    SetWindowPos(output, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RedrawWindow(m_window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void BoardWindow::showEnabled()
{
    const bool busy = running();
    const auto enable = [this](BoardControlId id, bool on) { EnableWindow(control(id), on); };
    const bool firmware = !text(BoardControlId::FirmwareEdit).empty();
    const bool command =
        text(BoardControlId::WriteEdit).find_first_not_of(" \t") != std::string::npos;
    enable(BoardControlId::FirmwareEdit, !busy);
    enable(BoardControlId::ChooseFirmware, !busy);
    enable(BoardControlId::WriteImage, firmware && !busy);
    enable(BoardControlId::WriteEdit, !busy);
    enable(BoardControlId::ReadEdit, !busy);
    enable(BoardControlId::Program, command && !busy);
    enable(BoardControlId::Stop, busy);
    // The focus left on a button just disabled would take no keys.
    HWND focus = GetFocus();
    if (focus && IsChild(m_window, focus) && !IsWindowEnabled(focus))
        SetFocus(control(busy ? BoardControlId::Stop : BoardControlId::Close));
}

void BoardWindow::close()
{
    if (!m_window) return;
    if (running()) {
        stop();
        m_worker.join();
        m_report = m_workerReport;
    }
    m_system.reset();
    OwnedDialog::close();
    m_controls.clear();
}

void BoardWindow::chooseFirmware()
{
    const std::wstring name = m_form.dialogs().firmwareFileName(m_window);
    if (!name.empty()) SetWindowTextW(control(BoardControlId::FirmwareEdit), name.c_str());
}

void BoardWindow::writeImage()
{
    const std::string firmware = text(BoardControlId::FirmwareEdit);
    if (firmware.empty()) return;
    const std::wstring name =
        m_form.dialogs().wholeImageFileName(m_window, widen(wholeImageName(tableName())));
    if (name.empty()) return;
    std::string reason;
    std::string warning;
    if (!files::writeWholeImageFile(m_form.model().currentRecord(), firmware, narrow(name), reason,
                                    warning))
        m_form.dialogs().showError(m_window, widen(wholeImageFailure(reason)));
    else if (!warning.empty())
        m_form.dialogs().showNote(m_window, widen(warning));
}

void BoardWindow::program()
{
    if (!m_window || running()) return;
    BoardRequest request;
    request.record = m_form.model().currentRecord();
    request.writeCommand = text(BoardControlId::WriteEdit);
    request.readCommand = text(BoardControlId::ReadEdit);
    request.firmwarePath = text(BoardControlId::FirmwareEdit);
    const std::string table = tableName();
    if (!table.empty()) request.baseName = std::filesystem::u8path(table).stem().u8string();

    SetWindowTextW(control(BoardControlId::Output), L"");
    m_pending.clear();
    HWND window = m_window;
    const auto sink = [this, window](const std::string& text) {
        {
            const std::lock_guard<std::mutex> lock(m_pendingLock);
            m_pending += text;
        }
        PostMessageW(window, kOutputWaiting, 0, 0);
    };
    m_system = std::make_unique<files::NativeBoardSystem>(
        sink, [sink](const std::string& line) { sink(line + "\n"); });
    m_worker = std::thread([this, window, request] {
        m_workerReport = programBoard(request, *m_system);
        PostMessageW(window, kProgrammerDone, 0, 0);
    });
    showEnabled();
}

void BoardWindow::stop()
{
    if (running() && m_system) m_system->requestStop();
}

void BoardWindow::takeOutput()
{
    std::string text;
    {
        const std::lock_guard<std::mutex> lock(m_pendingLock);
        const std::size_t whole = wholeCharacters(m_pending);
        text = m_pending.substr(0, whole);
        m_pending.erase(0, whole);
    }
    if (!text.empty()) append(text);
}

void BoardWindow::append(const std::string& text)
{
    HWND output = control(BoardControlId::Output);
    const std::wstring lines = withCrLf(text);
    const LRESULT end = SendMessageW(output, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(output, EM_SETSEL, WPARAM(end), LPARAM(end));
    SendMessageW(output, EM_REPLACESEL, FALSE, LPARAM(lines.c_str()));
}

void BoardWindow::finished()
{
    if (!running()) return;
    m_worker.join();
    m_report = m_workerReport;
    std::string rest;
    {
        const std::lock_guard<std::mutex> lock(m_pendingLock);
        rest = std::exchange(m_pending, std::string());
    }
    const std::string said = m_report.text();
    append(rest + "\n" + said + "\n");
    showEnabled();
    using R = BoardReport::Result;
    if (m_report.result == R::Verified || m_report.result == R::Written)
        m_form.dialogs().showNote(m_window, widen(said));
    else
        m_form.dialogs().showError(m_window, widen(said));
}

LRESULT BoardWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int code = HIWORD(wParam);
        if (LOWORD(wParam) == IDCANCEL) { // Esc
            close();
            return 0;
        }
        const std::size_t index = std::size_t(LOWORD(wParam) - kFirstId);
        if (index >= boardControls().size() || HWND(lParam) != m_controls[index]) return 0;
        const BoardControlId id = boardControls()[index].id;
        if (code == EN_CHANGE &&
            (id == BoardControlId::WriteEdit || id == BoardControlId::ReadEdit))
            storeBoardCommand(id, text(id));
        if (code == EN_CHANGE) showEnabled();
        if (code != BN_CLICKED) return 0;
        static const std::pair<BoardControlId, void (BoardWindow::*)()> kClicks[] = {
            {BoardControlId::ChooseFirmware, &BoardWindow::chooseFirmware},
            {BoardControlId::WriteImage, &BoardWindow::writeImage},
            {BoardControlId::Program, &BoardWindow::program},
            {BoardControlId::Stop, &BoardWindow::stop},
            {BoardControlId::Close, &BoardWindow::close}};
        for (const auto& [button, action] : kClicks)
            if (button == id) (this->*action)();
        return 0;
    }
    case kOutputWaiting:
        takeOutput();
        return 0;
    case kProgrammerDone:
        finished();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT: {
        // Each control's background is its role in the table.
        const HDC dc = HDC(wParam);
        const auto found = std::find(m_controls.begin(), m_controls.end(), HWND(lParam));
        const bool night = m_form.night();
        if (found == m_controls.end())
            return night ? nightControlColour(message, dc, HWND(lParam))
                         : DefWindowProcW(m_window, message, wParam, lParam);
        const ColourRole role = boardControls()[std::size_t(found - m_controls.begin())].background;
        if (night) {
            nightControlColour(message, dc, HWND(lParam)); // the text's level
        } else if (schemeEntry(role).dayIsSystem) {
            break;
        }
        SetBkColor(dc, schemeRef(role, night));
        return LRESULT(solidBrush(schemeRef(role, night)));
    }
    default:
        break;
    }
    return OwnedDialog::handle(message, wParam, lParam);
}

} // namespace korval
