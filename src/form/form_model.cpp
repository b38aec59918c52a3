#include "form/form_model.h"

#include "axes/drive_settings.h"
#include "axes/speed_levels.h"
#include "config/fp_fault.h"
#include "config/intel_hex.h"
#include "config/intel_hex_reader.h"
#include "config/number_text.h"
#include "config/parameter_file.h"
#include "config/record_difference.h"
#include "form/form_help.h"
#include "form/stored_note.h"
#include "timing/period_search.h"
#include "timing/time_per_step.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <utility>

namespace korval
{

namespace
{
const char* axisSuffix(Axis axis)
{
    return axis == Axis::AD ? "AD" : axis == Axis::De ? "De" : "Foc";
}

// V3 De holds the acceleration time in whole seconds: its hidden half-step box
// never adds bit 7, so every time from 0 to 255 is kept as typed.
bool takesHalfStepFlag(Axis axis, int level)
{
    return !(axis == Axis::De && level == 3);
}

std::string integer(long value)
{
    return formatText("%d", int(value));
}

// Quartz, steps per turn and period are shown signed, as "%ld" of 32 bits.
std::string signed32(std::uint32_t value)
{
    return formatText("%ld", long(std::int32_t(value)));
}

std::string failure(const char* what, const std::string& path, const std::string& reason)
{
    return std::string(what) + " « " + path + " » :\n" + reason + ".";
}

// The last component of a path, as a question names the file.
std::string fileNameOf(const std::string& path)
{
    const std::size_t cut = path.find_last_of("/\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// "48 213 octets", "1 octet": thousands apart by a space, singular below 2.
std::string byteCount(std::size_t count)
{
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, " ");
    return digits + (count < 2 ? " octet" : " octets");
}

// Open reads this much at most: enough to tell the size of a photo or a
// HEX image chosen by mistake.
constexpr std::size_t kOpenReadLimit = std::size_t(64) << 20;

// Restores a flag however the scope ends.
class FlagScope
{
public:
    explicit FlagScope(bool& flag) : m_flag(flag), m_old(std::exchange(flag, true)) {}
    ~FlagScope() { m_flag = m_old; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_old;
};
} // namespace

std::string hexImageNote(const std::string& fileName)
{
    return "Table lue dans " + fileNameOf(fileName) +
           ". La carte ne garde ni la fréquence du quartz, ni les pas par tour, ni la durée "
           "d'un tour : ceux de la fenêtre sont gardés.";
}

std::string FileComparison::text() const
{
    std::string out = heading;
    for (const std::string& line : lines)
        out += "\n" + line;
    return out;
}

bool FormView::readFile(const std::string&, std::size_t, std::vector<unsigned char>&,
                        std::string& reason)
{
    reason = "aucun fichier n'est lisible ici";
    return false;
}

bool FormView::writeFile(const std::string&, const std::vector<unsigned char>&, std::string& reason)
{
    reason = "aucun fichier ne s'écrit ici";
    return false;
}

std::string FormModel::levelEditName(Axis axis, int level)
{
    return "EditV" + std::to_string(level) + axisSuffix(axis);
}

std::string FormModel::halfStepName(Axis axis, int level)
{
    return std::string("CheckBox") + axisSuffix(axis) + std::to_string(level);
}

std::string FormModel::ratioName(Axis axis, int level)
{
    return std::string("EditX") + axisSuffix(axis) + std::to_string(level);
}

std::string FormModel::msName(int level)
{
    return "EditMsFoc" + std::to_string(level);
}

std::string FormModel::pwmName(int entry)
{
    return "EditPwm" + std::to_string(entry);
}

FormModel::FormModel(FormView* view) : m_view(view)
{
    const std::vector<ControlInfo>& table = formControls();
    m_controls.reserve(table.size());
    for (const ControlInfo& c : table) {
        m_index.emplace(c.name, m_controls.size());
        m_controls.push_back({c.text, c.checked, c.visible, c.enabled});
    }
    m_revisions.assign(m_controls.size(), 0);
    m_notes.resize(m_controls.size());
    m_help.resize(m_controls.size());
    m_extraHelp.resize(m_controls.size());
    for (auto& [name, help] : formHelpTexts())
        m_help.at(controlIndex(name)) = std::move(help);
    // These displays start with one blank, which the form file cannot hold.
    for (const char* display : {"EditVmax", "EditErreur", "EditPeriodeMax"})
        state(display).text = " ";
    bindHandlers();
    bindStoredNotes();
    moveBaseline(std::string());
}

std::vector<std::string> FormModel::controlNames() const
{
    std::vector<std::string> names;
    for (const ControlInfo& c : formControls())
        names.emplace_back(c.name);
    return names;
}

std::size_t FormModel::controlIndex(const std::string& name) const
{
    const auto found = m_index.find(name);
    if (found == m_index.end()) throw std::out_of_range("no control " + name);
    return found->second;
}

const ControlState& FormModel::control(const std::string& name) const
{
    return m_controls[controlIndex(name)];
}

ControlState& FormModel::state(const std::string& name)
{
    const std::size_t index = controlIndex(name);
    touch(index);
    return m_controls[index];
}

void FormModel::setText(const std::string& name, const std::string& text)
{
    state(name).text = text;
}

std::string FormModel::boxText(const std::string& name) const
{
    return scannedPrefix(control(name).text);
}

std::string FormModel::listLineHelp(int index) const
{
    if (index < 0 || std::size_t(index) >= m_lineHelp.size()) return {};
    return m_lineHelp[std::size_t(index)];
}

std::string FormModel::storedNote(const std::string& name) const
{
    const Note& note = m_notes[controlIndex(name)];
    return note.marked ? note.text : std::string();
}

std::string FormModel::baseHelp(const std::string& name) const
{
    return m_help[controlIndex(name)];
}

std::string FormModel::helpText(const std::string& name) const
{
    const std::size_t index = controlIndex(name);
    std::string text = m_help[index];
    for (const std::string* more : {&m_notes[index].text, &m_extraHelp[index]}) {
        if (more->empty()) continue;
        text += (text.empty() ? "" : "\n") + *more;
    }
    return text;
}

void FormModel::showError(const std::string& message)
{
    if (m_view) m_view->showError(message);
}

void FormModel::guarded(const std::function<void()>& handler)
{
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& error) { // FloatingPointError above all
        showError(error.what());
    }
}

namespace
{
// The handler each control runs, by the window's own names.
struct HandlerBinding {
    const char* control;
    void (FormModel::*handler)();
};

// A box's text changed, typed or written from code.
const HandlerBinding kChangeHandlers[] = {
    {"EditFrequenceQuartz", &FormModel::EditFrequenceQuartzChange},
    {"EditDureeTour", &FormModel::EditDureeTourChange},
    {"EditPasParTour", &FormModel::EditPasParTourChange},
    {"EditTranchePec", &FormModel::EditTranchePecChange},
    {"EditPasParTranche", &FormModel::EditPasParTrancheChange},
    {"EditPeriodeTimer", &FormModel::EditPeriodeTimerChange},
    {"EditV1AD", &FormModel::EditV1ADChange},
    {"EditV1De", &FormModel::EditV1DeChange},
    {"EditV1Foc", &FormModel::EditV1FocChange},
    {"EditV2AD", &FormModel::EditV2ADChange},
    {"EditV2De", &FormModel::EditV2DeChange},
    {"EditV2Foc", &FormModel::EditV2FocChange},
    {"EditV3AD", &FormModel::EditV3ADChange},
    {"EditV3De", &FormModel::EditV3DeChange},
    {"EditV3Foc", &FormModel::EditV3FocChange},
    {"EditV4AD", &FormModel::EditV4ADChange},
    {"EditV4De", &FormModel::EditV4DeChange},
    {"EditV4Foc", &FormModel::EditV4FocChange},
    {"EditV5AD", &FormModel::EditV5ADChange},
    {"EditV5De", &FormModel::EditV5DeChange},
    {"EditV5Foc", &FormModel::EditV5FocChange},
    {"EditV6AD", &FormModel::EditV6ADChange},
    {"EditV6De", &FormModel::EditV6DeChange},
    {"EditV6Foc", &FormModel::EditV6FocChange},
    {"EditV7AD", &FormModel::EditV7ADChange},
    {"EditV7De", &FormModel::EditV7DeChange},
    {"EditV7Foc", &FormModel::EditV7FocChange},
    {"EditJeuAD", &FormModel::EditJeuADChange},
    {"EditJeuDe", &FormModel::EditJeuDeChange},
    {"EditMaintienFoc", &FormModel::EditMaintienFocChange},
    {"EditPwm0", &FormModel::EditPwm0Change},
    {"EditPwm1", &FormModel::EditPwm1Change},
    {"EditPwm2", &FormModel::EditPwm2Change},
    {"EditPwm3", &FormModel::EditPwm3Change},
    {"EditPwm4", &FormModel::EditPwm4Change},
    {"EditPwm5", &FormModel::EditPwm5Change},
    {"EditPwm6", &FormModel::EditPwm6Change},
    {"EditPwm7", &FormModel::EditPwm7Change},
    {"EditPwm8", &FormModel::EditPwm8Change},
};

// A click on a check box or a button; a click into the period box searches.
const HandlerBinding kClickHandlers[] = {
    {"CheckBoxAD1", &FormModel::CheckBoxAD1Click},
    {"CheckBoxAD2", &FormModel::CheckBoxAD2Click},
    {"CheckBoxAD3", &FormModel::CheckBoxAD3Click},
    {"CheckBoxAD4", &FormModel::CheckBoxAD4Click},
    {"CheckBoxAD5", &FormModel::CheckBoxAD5Click},
    {"CheckBoxAD6", &FormModel::CheckBoxAD6Click},
    {"CheckBoxAD7", &FormModel::CheckBoxAD7Click},
    {"CheckBoxDe1", &FormModel::CheckBoxDe1Click},
    {"CheckBoxDe2", &FormModel::CheckBoxDe2Click},
    {"CheckBoxDe3", &FormModel::CheckBoxDe3Click},
    {"CheckBoxDe4", &FormModel::CheckBoxDe4Click},
    {"CheckBoxDe5", &FormModel::CheckBoxDe5Click},
    {"CheckBoxDe6", &FormModel::CheckBoxDe6Click},
    {"CheckBoxDe7", &FormModel::CheckBoxDe7Click},
    {"ButtonOuvrir", &FormModel::ButtonOuvrirClick},
    {"ButtonValider", &FormModel::ButtonValiderClick},
    {"ButtonSauvegarder", &FormModel::ButtonSauvegarderClick},
    {"EditPeriodeTimer", &FormModel::EditPeriodeClick},
};
} // namespace

void FormModel::bindHandlers()
{
    for (const HandlerBinding& binding : kChangeHandlers)
        m_change[binding.control] = [this, handler = binding.handler] { (this->*handler)(); };
    for (const HandlerBinding& binding : kClickHandlers)
        m_click[binding.control] = [this, handler = binding.handler] { (this->*handler)(); };
}

// --- writing controls -------------------------------------------------------

void FormModel::writeText(const std::string& name, const std::string& text)
{
    setText(name, text);
    const auto handler = m_change.find(name);
    if (handler != m_change.end()) guarded(handler->second);
    refreshStoredNote(name);
}

void FormModel::writeChecked(const std::string& name, bool checked)
{
    if (control(name).checked == checked) return;
    state(name).checked = checked;
    const auto handler = m_click.find(name);
    if (handler != m_click.end()) handler->second();
}

void FormModel::userTyped(const std::string& name, const std::string& text)
{
    writeText(name, text);
}

void FormModel::userClicked(const std::string& name)
{
    const ControlInfo& info = formControls().at(controlIndex(name));
    if (info.kind == ControlKind::CheckBox) {
        userSetChecked(name, !control(name).checked);
        return;
    }
    const auto handler = m_click.find(name);
    if (handler != m_click.end()) guarded(handler->second);
}

void FormModel::userSetChecked(const std::string& name, bool checked)
{
    state(name).checked = checked;
    const auto handler = m_click.find(name);
    if (handler != m_click.end()) guarded(handler->second);
    // A half-step click changes the byte its level box's note speaks of.
    for (int level = 1; level <= kLevelCount; ++level)
        for (Axis axis : {Axis::AD, Axis::De})
            if (halfStepName(axis, level) == name) refreshStoredNote(levelEditName(axis, level));
}

void FormModel::userSelectedLine(int index)
{
    m_selected = index >= 0 && std::size_t(index) < m_lines.size() ? index : -1;
}

void FormModel::userDoubleClickedLine(int index)
{
    userSelectedLine(index);
    guarded([this] { ListBoxValeurTimerDblClick(); });
}

void FormModel::hideList()
{
    m_listVisible = false;
}

void FormModel::searchFromKeyboard()
{
    userClicked("EditPeriodeTimer");
    if (m_listVisible && !m_lines.empty()) userSelectedLine(0);
}

// --- activation and display -------------------------------------------------

void FormModel::FormOnActivate()
{
    loadFactoryDefaults(m_reference, m_drive);
    ShowRecord();
    copyReferenceToCurrent(m_reference, m_current);
    moveBaseline(std::string());
}

void FormModel::ShowRecord()
{
    const FlagScope showing(m_showingRecord);
    const ConfigRecord& ref = m_reference;

    writeText("EditFrequenceQuartz", signed32(m_drive.FrequenceQuartz)); // blanks the period box
    writeText("EditDureeTour", formatFloatForBox(m_drive.DureeTour));
    writeText("EditPasParTour", signed32(m_drive.PasParTour));
    writeText("EditPeriodeTimer", signed32(ref.PeriodeTimer()));
    writeText("EditJeuAD", integer(ref.JeuAD()));
    writeText("EditJeuDe", integer(ref.JeuDe()));
    writeText("EditPasParTranche", integer(ref.PasParTranche()));
    writeText("EditTranchePec", integer(ref.TranchePec()));

    // AD: the half-step boxes before the texts; V1 last, so that every ratio
    // is computed from the new V1.
    for (int level = 2; level <= kLevelCount; ++level)
        writeChecked(halfStepName(Axis::AD, level), halfStep(ref.level(Axis::AD, level)));
    writeChecked(halfStepName(Axis::AD, 1), halfStep(ref.level(Axis::AD, 1)));
    for (int level = 2; level <= kLevelCount; ++level)
        writeText(levelEditName(Axis::AD, level), integer(levelCount(ref.level(Axis::AD, level))));
    writeText(levelEditName(Axis::AD, 1), integer(levelCount(ref.level(Axis::AD, 1))));

    // De: the texts before the boxes. V3 De is the acceleration time in whole
    // seconds: all eight bits are its value and it never carries a flag.
    for (int level = 2; level <= kLevelCount; ++level) {
        const std::uint8_t byte = ref.level(Axis::De, level);
        writeText(levelEditName(Axis::De, level), integer(level == 3 ? byte : levelCount(byte)));
    }
    writeText(levelEditName(Axis::De, 1), integer(levelCount(ref.level(Axis::De, 1))));
    for (int level = 2; level <= kLevelCount; ++level)
        writeChecked(halfStepName(Axis::De, level),
                     level != 3 && halfStep(ref.level(Axis::De, level)));
    writeChecked(halfStepName(Axis::De, 1), halfStep(ref.level(Axis::De, 1)));

    for (int level = 2; level <= kLevelCount; ++level)
        writeText(levelEditName(Axis::Foc, level), integer(ref.level(Axis::Foc, level)));
    writeText(levelEditName(Axis::Foc, 1), integer(ref.level(Axis::Foc, 1)));

    for (int entry = 0; entry < kPwmCount; ++entry)
        writeText(pwmName(entry), integer(ref.Pwm(entry)));

    // The period box was written above, so the current period is the shown one.
    writeText("EditMaintienFoc", holdText(ref.MaintienFoc(), m_current.PeriodeTimer()));
}

// --- timing -------------------------------------------------------------------

void FormModel::EditFrequenceQuartzChange()
{
    if (const auto value = scanInt(boxText("EditFrequenceQuartz")))
        m_drive.FrequenceQuartz = bits32(*value);
    // A new tick calls for a new search: the period shows blank until then,
    // while the stored period keeps its value.
    writeText("EditPeriodeTimer", std::string());
}

void FormModel::EditDureeTourChange()
{
    if (const auto value = scanFloat(boxText("EditDureeTour"))) m_drive.DureeTour = *value;
    refreshPerPas();
}

void FormModel::EditPasParTourChange()
{
    if (const auto value = scanInt(boxText("EditPasParTour"))) m_drive.PasParTour = bits32(*value);
    refreshPerPas();
}

void FormModel::refreshPerPas()
{
    m_drive.PerPas = perPasSeconds(m_drive.DureeTour, m_drive.PasParTour);
    setText("EditPerPas", perPasText(m_drive.PerPas));
}

void FormModel::EditTranchePecChange()
{
    if (const auto value = scanInt(boxText("EditTranchePec")))
        m_current.setTranchePec(low8(*value));
}

void FormModel::EditPasParTrancheChange()
{
    if (const auto value = scanInt(boxText("EditPasParTranche")))
        m_current.setPasParTranche(low16(*value));
}

void FormModel::EditPeriodeTimerChange()
{
    // Neither the error nor the maximum displays follow a period typed by hand.
    if (const auto value = scanInt(boxText("EditPeriodeTimer")))
        m_current.setPeriodeTimer(bits32(*value));
}

// --- the period search and its list -------------------------------------------

void FormModel::ChercherValeurTimer()
{
    // A fault here (no steps per turn, P beyond a float) leaves the list as it was.
    const SearchSetup setup =
        prepareSearch(m_drive.FrequenceQuartz, m_drive.DureeTour, m_drive.PasParTour);
    m_drive.PerPas = setup.P;
    m_lines.clear();
    m_lineHelp.clear();
    m_selected = -1;
    ++m_listRevision;
    // A fault among the candidates (a worm turn of 0) leaves the list empty.
    const std::vector<Candidate> candidates = searchCandidates(setup);
    m_lines = candidateLines(candidates);
    // Beside the line, not in it: the apply step reads the line's text.
    m_lineHelp.reserve(candidates.size());
    for (const Candidate& candidate : candidates)
        m_lineHelp.push_back(driftText(candidate.error));
    if (!m_lines.empty()) m_selected = 0;
    ++m_listRevision;
    m_listVisible = true;
}

void FormModel::ListBoxValeurTimerDblClick()
{
    if (m_selected < 0 || std::size_t(m_selected) >= m_lines.size()) return;
    // The line's text is the only record of the candidate.
    const auto line = parseCandidateLine(m_lines[std::size_t(m_selected)]);
    if (!line) return;
    const std::string drift = m_lineHelp[std::size_t(m_selected)];
    writeText("EditPeriodeTimer", formatText("%d", line->period));
    const std::string n = formatText("%d", line->n);
    writeText("EditV1AD", n);
    writeText("EditV1De", n);
    setText("EditErreur", formatText("%4.2e", double(line->error)));
    m_extraHelp[controlIndex("EditErreur")] = drift;
    setText("EditVmax", n);
    // 255 interrupt periods in ms, from the period just stored.
    const Extended maxPeriod = multiply(static_cast<Extended>(m_current.PeriodeTimer()), 0.000255);
    setText("EditPeriodeMax", formatText("%6.2f", toDouble(maxPeriod)));
    hideList();
}

// --- speed levels ---------------------------------------------------------------

void FormModel::levelChange(Axis axis, int level)
{
    if (level == 1) {
        v1Change(axis);
        return;
    }
    std::int32_t& typed = m_levelTyped[axis == Axis::AD ? 0 : 1][level];
    if (const auto value = scanInt(boxText(levelEditName(axis, level)))) typed = *value;
    const std::uint8_t stored = composeLevel(typed, false);
    m_current.setLevel(axis, level, stored);

    const bool flagged =
        takesHalfStepFlag(axis, level) && control(halfStepName(axis, level)).checked;
    const bool v1Flagged = control(halfStepName(axis, 1)).checked;
    // A count of 0 stops here: the byte stays without its flag and the display
    // keeps its text.
    const double ratio =
        levelRatio(levelCount(m_current.level(axis, 1)), stored, flagged, v1Flagged);
    if (flagged) m_current.setLevel(axis, level, composeLevel(stored, true));
    setText(ratioName(axis, level), ratioText(ratio));
}

void FormModel::v1Change(Axis axis)
{
    std::int32_t& typed = m_levelTyped[axis == Axis::AD ? 0 : 1][1];
    if (const auto value = scanInt(boxText(levelEditName(axis, 1)))) typed = *value;
    m_current.setLevel(axis, 1, composeLevel(typed, control(halfStepName(axis, 1)).checked));
    setText(ratioName(axis, 1), axis == Axis::AD ? ratioText(1.0) : std::string(kDeV1RatioText));
    // Every ratio of the drive follows V1; a fault stops the rest of the drive.
    for (int level = 2; level <= kLevelCount; ++level)
        levelChange(axis, level);
}

void FormModel::focuserLevelChange(int level)
{
    const std::string box = levelEditName(Axis::Foc, level);
    std::int32_t value = m_current.level(Axis::Foc, level);
    if (const auto scanned = scanInt(boxText(box))) value = *scanned;
    if (focuserNeedsClamp(value)) {
        value = kFocuserMax;
        writeText(box, formatText("%d", kFocuserMax)); // runs this handler again, on 255
    }
    const std::uint8_t count = low8(value);
    m_current.setLevel(Axis::Foc, level, count);
    setText(msName(level), msText(focuserMs(count, m_current.PeriodeTimer())));
}

// --- backlash, PWM and hold -----------------------------------------------------

void FormModel::EditJeuADChange()
{
    if (const auto value = scanInt(boxText("EditJeuAD"))) m_current.setJeuAD(low16(*value));
}

void FormModel::EditJeuDeChange()
{
    if (const auto value = scanInt(boxText("EditJeuDe"))) m_current.setJeuDe(low16(*value));
}

void FormModel::pwmChange(int entry)
{
    if (const auto value = scanInt(boxText(pwmName(entry)))) m_current.setPwm(entry, low8(*value));
}

void FormModel::EditMaintienFocChange()
{
    // Typed in milliseconds, held as a count of interrupt periods; a fault
    // (period 0, a count beyond 64 bits) keeps the previous count.
    if (const auto ms = scanFloat(boxText("EditMaintienFoc")))
        m_current.setMaintienFoc(holdCount(*ms, m_current.PeriodeTimer()));
}

// --- stored-value notes -----------------------------------------------------------

void FormModel::bindStoredNotes()
{
    const auto integerBox = [this](const std::string& box, int bits,
                                   std::function<std::uint32_t()> stored) {
        m_noteMakers[box] = [this, box, bits, stored] {
            const StoredNote note = integerNote(control(box).text, bits, stored());
            return Note{note.marked, note.text};
        };
    };
    integerBox("EditFrequenceQuartz", 32, [this] { return m_drive.FrequenceQuartz; });
    m_noteMakers["EditDureeTour"] = [this] {
        const StoredNote note = floatNote(control("EditDureeTour").text, m_drive.DureeTour);
        return Note{note.marked, note.text};
    };
    integerBox("EditPasParTour", 32, [this] { return m_drive.PasParTour; });
    integerBox("EditTranchePec", 8, [this] { return m_current.TranchePec(); });
    integerBox("EditPasParTranche", 16, [this] { return m_current.PasParTranche(); });
    integerBox("EditPeriodeTimer", 32, [this] { return m_current.PeriodeTimer(); });

    for (int level = 1; level <= kLevelCount; ++level) {
        for (Axis axis : {Axis::AD, Axis::De}) {
            const std::string box = levelEditName(axis, level);
            if (axis == Axis::De && level == 3) {
                // The acceleration time: all eight bits are its value.
                integerBox(box, 8, [this] { return m_current.level(Axis::De, 3); });
            } else {
                m_noteMakers[box] = [this, box, axis, level] {
                    const StoredNote note =
                        levelNote(control(box).text, m_current.level(axis, level));
                    return Note{note.marked, note.text};
                };
            }
        }
        integerBox(levelEditName(Axis::Foc, level), 8,
                   [this, level] { return m_current.level(Axis::Foc, level); });
    }

    integerBox("EditJeuAD", 16, [this] { return m_current.JeuAD(); });
    integerBox("EditJeuDe", 16, [this] { return m_current.JeuDe(); });
    m_noteMakers["EditMaintienFoc"] = [this] {
        const StoredNote note = holdNote(control("EditMaintienFoc").text, m_current.PeriodeTimer(),
                                         m_current.MaintienFoc());
        return Note{note.marked, note.text};
    };
    for (int entry = 0; entry < kPwmCount; ++entry)
        integerBox(pwmName(entry), 8, [this, entry] { return m_current.Pwm(entry); });
}

void FormModel::refreshStoredNote(const std::string& name)
{
    const auto make = m_noteMakers.find(name);
    if (make == m_noteMakers.end()) return;
    const std::size_t index = controlIndex(name);
    Note note = m_showingRecord ? Note{} : make->second();
    if (note.marked == m_notes[index].marked && note.text == m_notes[index].text) return;
    m_notes[index] = std::move(note);
    touch(index);
}

// --- files ------------------------------------------------------------------------

void FormModel::ButtonOuvrirClick()
{
    if (!m_view) return;
    if (!saveChangesBefore("d'ouvrir un autre fichier")) return;
    const std::string path = m_view->chooseOpenName();
    if (path.empty()) return;
    openParameterFile(path);
}

bool FormModel::isOpenableName(const std::string& path)
{
    const auto endsWith = [&path](const std::string& extension) {
        if (path.size() <= extension.size()) return false;
        std::string end = path.substr(path.size() - extension.size());
        for (char& c : end)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        return end == extension;
    };
    return endsWith(kParameterExtension) || endsWith(kHexImageExtension);
}

void FormModel::openDropped(const std::string& path)
{
    if (!saveChangesBefore("d'ouvrir un autre fichier")) return;
    openParameterFile(path);
}

void FormModel::openParameterFile(const std::string& path)
{
    std::vector<unsigned char> content;
    std::string reason;
    if (!m_view || !m_view->readFile(path, kOpenReadLimit + 1, content, reason)) {
        m_openFileName = path; // used as chosen: no extension is forced
        // Nothing is read and nothing is refilled: the user's edits stay.
        showError(failure(isHexImage(path, {}) ? "Impossible d'ouvrir l'image HEX"
                                               : "Impossible d'ouvrir le fichier de paramètres",
                          path, reason));
        return;
    }
    const bool cutShort = content.size() > kOpenReadLimit;
    if (cutShort) content.resize(kOpenReadLimit);
    openBytes(path, content, cutShort);
}

void FormModel::openParameterBytes(const std::string& fileName,
                                   const std::vector<unsigned char>& bytes)
{
    openBytes(fileName, bytes, false);
}

void FormModel::openBytes(const std::string& fileName, const std::vector<unsigned char>& bytes,
                          bool cutShort)
{
    if (isHexImage(fileName, bytes)) {
        openHexImage(fileName, bytes, cutShort);
        return;
    }
    // A photo or a HEX image read as parameters would carry garbage into the
    // controller with the next Save: the user says first.
    const std::string question = openAnywayQuestion(fileName, bytes, cutShort);
    if (!question.empty() && m_view && !m_view->askOpenAnyway(question)) return;
    m_openFileName = fileName;
    m_hexImageName.clear();
    m_proposedSaveName.clear();
    applyParameterFile(bytes.data(), bytes.size(), m_reference, m_drive);
    ShowRecord();
    moveBaseline(fileName);
}

bool FormModel::isHexImage(const std::string& fileName, const std::vector<unsigned char>& bytes)
{
    return korval::isHexImage(
        fileName, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

namespace
{
// The table of a HEX image over `record`; false with the French reason.
bool readImageTable(const std::vector<unsigned char>& bytes, bool cutShort, ConfigRecord& record,
                    std::string& reason)
{
    if (cutShort) {
        reason = "plus de " + byteCount(kOpenReadLimit) + ", bien plus que la mémoire de la carte";
        return false;
    }
    return readHexImage(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                        record, reason);
}
} // namespace

void FormModel::openHexImage(const std::string& fileName, const std::vector<unsigned char>& bytes,
                             bool cutShort)
{
    // The board keeps the table alone: the drive values stay the window's.
    ConfigRecord table = m_reference;
    std::string reason;
    if (!readImageTable(bytes, cutShort, table, reason)) {
        showError(failure("Impossible d'ouvrir l'image HEX", fileName, reason));
        return;
    }
    m_openFileName = fileName;
    m_reference = table;
    ShowRecord();
    moveBaseline(fileName);
    m_hexImageName = fileName;
    // Where the .hex written beside would be the image itself, the .kv2 is
    // named after the whole name, so that the dump is never replaced.
    m_proposedSaveName = replaceExtension(fileName, kParameterExtension);
    if (replaceExtension(m_proposedSaveName, kHexExtension) == fileName)
        m_proposedSaveName = fileName + kParameterExtension;
    if (m_view) m_view->showNote(hexImageNote(fileName));
}

bool FormModel::compareWithBytes(const std::string& fileName,
                                 const std::vector<unsigned char>& bytes,
                                 FileComparison& comparison, std::string& reason) const
{
    ConfigRecord record = m_current;
    DriveParameters drive = m_drive;
    const bool image = isHexImage(fileName, bytes);
    if (image) {
        if (!readImageTable(bytes, bytes.size() > kOpenReadLimit, record, reason)) return false;
    } else {
        if (bytes.size() != kParameterFileSize) {
            reason = "ce n'est pas un fichier de paramètres : " + byteCount(bytes.size()) +
                     " au lieu de " + std::to_string(kParameterFileSize);
            return false;
        }
        applyParameterFile(bytes.data(), bytes.size(), record, drive);
    }
    comparison.fileName = fileName;
    comparison.tableOnly = image;
    comparison.heading = "Fenêtre -> " + fileNameOf(fileName) + " :";
    if (image)
        comparison.heading += "\n(image HEX : seuls les champs de la table sont comparés ; la "
                              "carte ne garde ni FrequenceQuartz, ni PasParTour, ni DureeTour)";
    comparison.lines = differenceLines(m_current, m_drive, record, drive, image);
    if (comparison.lines.empty()) comparison.lines.push_back(kIdenticalToWindow);
    return true;
}

std::string FormModel::comparisonFailure(const std::string& fileName, const std::string& reason)
{
    return failure("Impossible de comparer le fichier", fileName, reason);
}

void FormModel::ButtonComparerClick()
{
    if (!m_view) return;
    const std::string path = m_view->chooseCompareName();
    if (path.empty()) return;
    std::vector<unsigned char> content;
    std::string reason;
    FileComparison comparison;
    if (!m_view->readFile(path, kOpenReadLimit + 1, content, reason) ||
        !compareWithBytes(path, content, comparison, reason)) {
        showError(comparisonFailure(path, reason));
        return;
    }
    m_view->showComparison(comparison);
}

std::string FormModel::openAnywayQuestion(const std::string& fileName,
                                          const std::vector<unsigned char>& bytes, bool cutShort)
{
    // A HEX image is read as one, each line checked; cut short, it is refused
    // for its size before any question.
    if (!cutShort && isHexImage(fileName, bytes)) return {};
    const bool sized = !cutShort && bytes.size() == kParameterFileSize;
    const bool marked = bytes.size() >= kRecordSize && bytes[0] == 0x45 && bytes[1] == 0x23 &&
                        bytes[kRecordSize - 2] == 0xDE && bytes[kRecordSize - 1] == 0xBC;
    if (sized && marked) return {};
    std::string faults;
    if (!sized)
        faults = (cutShort ? "plus de " : "") + byteCount(bytes.size()) + " au lieu de " +
                 std::to_string(kParameterFileSize);
    if (!marked) faults += std::string(faults.empty() ? "" : ", ") + "marqueurs absents";
    return fileNameOf(fileName) + " n'a pas la forme d'un fichier de paramètres : " + faults +
           ". L'ouvrir quand même ?";
}

FormModel::SaveOutput FormModel::saveOutput(const std::string& chosenName) const
{
    SaveOutput out;
    out.kv2Name = replaceExtension(chosenName, kParameterExtension);
    const ParameterFileBytes bytes = serializeParameterFile(m_current, m_drive);
    out.kv2.assign(bytes.begin(), bytes.end());
    out.hexName = replaceExtension(out.kv2Name, kHexExtension);
    out.hex = exportHexText(m_current).text;
    return out;
}

void FormModel::markSaved(const SaveOutput& saved)
{
    m_baseline = saved.kv2;
    m_baselineName = saved.kv2Name;
}

void FormModel::moveBaseline(const std::string& fileName)
{
    const ParameterFileBytes bytes = serializeParameterFile(m_current, m_drive);
    m_baseline.assign(bytes.begin(), bytes.end());
    m_baselineName = fileName;
}

bool FormModel::hasUnsavedChanges() const
{
    const ParameterFileBytes bytes = serializeParameterFile(m_current, m_drive);
    return !std::equal(bytes.begin(), bytes.end(), m_baseline.begin(), m_baseline.end());
}

bool FormModel::confirmClose()
{
    return saveChangesBefore("de quitter");
}

bool FormModel::saveChangesBefore(const std::string& what)
{
    if (!m_view || !hasUnsavedChanges()) return true;
    std::string question = "Enregistrer les modifications";
    if (!m_baselineName.empty()) question += " de " + fileNameOf(m_baselineName);
    question += " avant " + what + " ?";
    switch (m_view->askSaveChanges(question)) {
    case FormView::SaveChoice::Save:
        return saveWithDialog();
    case FormView::SaveChoice::Discard:
        return true;
    case FormView::SaveChoice::Cancel:
        break;
    }
    return false;
}

void FormModel::ButtonSauvegarderClick()
{
    saveWithDialog();
}

bool FormModel::saveWithDialog()
{
    if (!m_view) return false;
    const std::string chosen = m_view->chooseSaveNameProposing(m_proposedSaveName);
    if (chosen.empty()) return false;
    const std::string target = replaceExtension(chosen, kParameterExtension);
    // The dialog asked about the name it returned; a file under the forced
    // name is another one, and is not replaced without asking.
    if (target != chosen && m_view->fileExists(target) && !m_view->confirmReplace(target))
        return false;
    // The board's dump stays as it was read: the 214 bytes of the table
    // would take the place of the whole program memory.
    const std::string hexBeside = replaceExtension(target, kHexExtension);
    if (!m_hexImageName.empty() && hexBeside == m_hexImageName) {
        showError("Impossible d'enregistrer « " + target + " » :\nle fichier HEX écrit à côté, « " +
                  hexBeside + " », remplacerait l'image lue. Choisissez un autre nom.");
        return false;
    }
    m_saveFileName = target;

    const ParameterFileBytes bytes = serializeParameterFile(m_current, m_drive);
    const std::vector<unsigned char> kv2(bytes.begin(), bytes.end());
    std::string reason;
    const bool kv2Written = m_view->writeFile(m_saveFileName, kv2, reason);
    if (!kv2Written)
        showError(
            failure("Impossible d'enregistrer le fichier de paramètres", m_saveFileName, reason));
    const bool hexWritten = exportHex(); // whatever became of the parameter file
    // Saved only when the controller's programmer finds both files as they are now.
    if (!kv2Written || !hexWritten) return false;
    m_baseline = kv2;
    m_baselineName = m_saveFileName;
    m_proposedSaveName.clear();
    return true;
}

void FormModel::ExportHex()
{
    exportHex();
}

bool FormModel::exportHex()
{
    // Without a save name yet there is no file to write beside.
    if (m_saveFileName.empty()) return false;
    const std::string hexName = replaceExtension(m_saveFileName, kHexExtension);
    const IntelHexText hex = exportHexText(m_current);
    std::string reason;
    if (!m_view ||
        !m_view->writeFile(hexName, std::vector<unsigned char>(hex.text.begin(), hex.text.end()),
                           reason)) {
        showError(failure("Impossible d'enregistrer le fichier HEX", hexName, reason));
        return false;
    }
    m_view->hexWritten(hex.dataLines);
    return true;
}

ShownState::ShownState(const FormModel& model)
    : m_model(model), m_controls(model.controlCount(), kNeverShown)
{
}

std::vector<std::size_t> ShownState::changedControls()
{
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        const std::uint64_t revision = m_model.controlRevision(i);
        if (revision == m_controls[i]) continue;
        m_controls[i] = revision;
        changed.push_back(i);
    }
    return changed;
}

bool ShownState::listChanged()
{
    const bool changed = m_model.listRevision() != m_list;
    m_list = m_model.listRevision();
    return changed;
}

} // namespace korval
