// The web page's door to the form model: the page only shows the state of the
// controls and forwards typing, clicks and files; everything else happens here,
// in the same model as the window's.

#include "axes/drift_calibration.h"
#include "axes/mount_assistant.h"
#include "axes/mount_dialog_texts.h"
#include "axes/mount_table.h"
#include "config/fp_fault.h"
#include "config/number_text.h"
#include "form/board_programmer.h"
#include "form/board_texts.h"
#include "form/colour_scheme.h"
#include "form/form_controls.h"
#include "form/form_help.h"
#include "form/form_model.h"
#include "form/form_texts.h"
#include "form/list_keys.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

using emscripten::val;

namespace
{

// Faults are kept until the page asks for them after its action.
class CollectingView : public korval::FormView
{
public:
    void showError(const std::string& message) override { m_messages.push_back(message); }
    // The page asked its own question before it handed the file over.
    bool askOpenAnyway(const std::string&) override { return m_openAnyway; }
    bool m_openAnyway = false;
    // What a HEX image lacks, said after it opened.
    void showNote(const std::string& message) override { m_notes.push_back(message); }
    std::vector<std::string> take()
    {
        std::vector<std::string> out;
        out.swap(m_messages);
        return out;
    }
    std::vector<std::string> takeNotes()
    {
        std::vector<std::string> out;
        out.swap(m_notes);
        return out;
    }

private:
    std::vector<std::string> m_messages;
    std::vector<std::string> m_notes;
};

val toArray(const std::vector<std::string>& lines)
{
    val out = val::array();
    for (std::size_t i = 0; i < lines.size(); ++i)
        out.set(i, lines[i]);
    return out;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += '\n';
        out += lines[i];
    }
    return out;
}

// The page's object { key: text, … }, the keys and their texts in one order.
template <std::size_t N> val textObject(const char* const (&keys)[N], const std::string (&texts)[N])
{
    val out = val::object();
    for (std::size_t i = 0; i < N; ++i)
        out.set(keys[i], texts[i]);
    return out;
}

template <typename Bytes> val toBytes(const Bytes& bytes)
{
    // A copy the page owns, not a view of the module's memory.
    val view(emscripten::typed_memory_view(bytes.size(),
                                           reinterpret_cast<const unsigned char*>(bytes.data())));
    return val::global("Uint8Array").new_(view);
}

class WebForm
{
public:
    WebForm() : m_model(&m_view), m_names(m_model.controlNames()), m_shown(m_model) {}

    void activate() { m_model.FormOnActivate(); }
    val controlNames() const { return toArray(m_names); }

    // The controls whose state, note or help changed since the last call, as
    // [index in controlNames(), text, checked, storedNote]: every control at
    // the first call. An action changes a few of them, a move in the list none.
    val changedControls()
    {
        val out = val::array();
        unsigned count = 0;
        for (const std::size_t i : m_shown.changedControls()) {
            const korval::ControlState& c = m_model.controlAt(i);
            val entry = val::array();
            entry.set(0, unsigned(i));
            entry.set(1, c.text);
            entry.set(2, c.checked);
            entry.set(3, m_model.storedNote(m_names[i]));
            out.set(count++, entry);
        }
        return out;
    }
    std::string helpText(const std::string& name) const { return m_model.helpText(name); }
    // What a screen reader calls each control, by control name, as the windows name it.
    val accessibleNames() const
    {
        val out = val::object();
        for (const auto& [name, text] : korval::accessibleTexts())
            out.set(name, text.name);
        return out;
    }

    // The tool buttons, in the windows' order: [{ name, caption, mnemonic,
    // help }], their help without the windows' keys.
    val toolButtons() const
    {
        val out = val::array();
        for (const korval::ToolButtonInfo& button : korval::toolButtons())
            out.call<void>("push", textObject({"name", "caption", "mnemonic", "help"},
                                              {button.name, button.caption,
                                               button.mnemonic ? std::string(1, button.mnemonic)
                                                               : std::string(),
                                               korval::toolButtonHelp(button.name, false)}));
        return out;
    }
    // The words of « Comparer… »: { title, listName, copy, close }.
    val comparisonTexts() const
    {
        const korval::ComparisonTexts& texts = korval::comparisonTexts();
        return textObject({"title", "listName", "copy", "close"},
                          {texts.title, texts.listName, texts.copy, texts.close});
    }
    // The words of « Carte… » in the page: { title, firmware, chooseFirmware,
    // writeImage, close, pageNote }.
    val boardTexts() const
    {
        const korval::BoardTexts& texts = korval::boardTexts();
        return textObject(
            {"title", "firmware", "chooseFirmware", "writeImage", "close", "pageNote"},
            {texts.title, texts.firmware, texts.chooseFirmware, texts.writeImage, texts.close,
             texts.pageNote});
    }
    // « Écrire l'image complète… »: the window's current table over the
    // firmware image `bytes`, { name, bytes } named after the table's file
    // (`tableName`), or { error } naming the firmware image. `readable`
    // false: the browser could not read the chosen file.
    val wholeImage(const std::string& firmwareName, const val& bytes, bool readable,
                   const std::string& tableName) const
    {
        val out = val::object();
        if (!readable) {
            out.set("error", korval::wholeImageFailure(korval::firmwareUnreadable(firmwareName)));
            return out;
        }
        std::string text;
        std::string reason;
        if (!korval::wholeImageText(firmwareName,
                                    emscripten::convertJSArrayToNumberVector<unsigned char>(bytes),
                                    m_model.currentRecord(), text, reason)) {
            out.set("error", korval::wholeImageFailure(reason));
            return out;
        }
        out.set("name", korval::wholeImageName(tableName));
        out.set("bytes", toBytes(text));
        return out;
    }
    // The buttons of the questions: { save, discard, cancel, yes, no, ok }.
    val questionButtons() const
    {
        const korval::QuestionButtons& buttons = korval::questionButtons();
        return textObject(
            {"save", "discard", "cancel", "yes", "no", "ok"},
            {buttons.save, buttons.discard, buttons.cancel, buttons.yes, buttons.no, buttons.ok});
    }
    // The colour scheme the page's scheme.css was written from:
    // [{ name, day: [r, g, b], night }], and the frames' widths in px.
    val colourScheme() const
    {
        val roles = val::array();
        for (const korval::SchemeEntry& entry : korval::colourScheme()) {
            val one = val::object();
            one.set("name", std::string(entry.name));
            val day = val::array();
            day.set(0, int(entry.day.red));
            day.set(1, int(entry.day.green));
            day.set(2, int(entry.day.blue));
            one.set("day", day);
            one.set("night", int(entry.night));
            roles.call<void>("push", one);
        }
        val out = val::object();
        out.set("roles", roles);
        out.set("markWidthDay", korval::kMarkWidthDay);
        out.set("markWidthNight", korval::kMarkWidthNight);
        out.set("periodFrameWidthNight", korval::kPeriodFrameWidthNight);
        return out;
    }
    // Whether a key switches the night look: `letter` as typed, `repeated`
    // the browser's auto-repeat (event.repeat) of a key held down.
    bool nightKeySwitches(const std::string& letter, bool control, bool alt, bool shift,
                          bool repeated) const
    {
        if (letter.size() != 1) return false;
        return korval::nightKeySwitches({letter[0], control, alt, shift, repeated});
    }

    // The list's lines, and their drift help, one a line: one string crosses
    // into the page instead of thousands.
    std::string listText() const { return joined(m_model.listLines()); }
    std::string listHelpText() const
    {
        std::vector<std::string> help;
        const std::size_t count = m_model.listLines().size();
        help.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            help.push_back(m_model.listLineHelp(int(i)));
        return joined(help);
    }
    bool listVisible() const { return m_model.listVisible(); }
    int listSelected() const { return m_model.listSelected(); }

    void typed(const std::string& name, const std::string& text) { m_model.userTyped(name, text); }
    void clicked(const std::string& name) { m_model.userClicked(name); }
    void selectLine(int index) { m_model.userSelectedLine(index); }
    void doubleClickLine(int index) { m_model.userDoubleClickedLine(index); }
    void hideList() { m_model.hideList(); }
    // The list's key policy for the page's key names ("F4", "AltDown", "Enter",
    // "Escape"): "open", "apply", "close", or "" where the key is the control's own.
    std::string listKeyAction(bool inList, const std::string& key, bool listVisible) const
    {
        using korval::ListKey;
        using korval::ListKeyAction;
        static const std::pair<const char*, ListKey> keys[] = {{"F4", ListKey::F4},
                                                               {"AltDown", ListKey::AltDown},
                                                               {"Enter", ListKey::Enter},
                                                               {"Escape", ListKey::Escape}};
        static const std::pair<ListKeyAction, const char*> answers[] = {
            {ListKeyAction::Open, "open"},
            {ListKeyAction::Apply, "apply"},
            {ListKeyAction::Close, "close"}};
        ListKey named = ListKey::Other;
        for (const auto& [text, one] : keys)
            if (key == text) named = one;
        const ListKeyAction action = korval::listKeyAction(inList ? korval::ListKeyPlace::List
                                                                  : korval::ListKeyPlace::PeriodBox,
                                                           named, listVisible);
        for (const auto& [one, text] : answers)
            if (action == one) return text;
        return "";
    }

    // The question to ask before `bytes` are opened; empty when they have
    // the form of a parameter file.
    std::string openQuestion(const std::string& fileName, const val& bytes) const
    {
        return korval::FormModel::openAnywayQuestion(
            fileName, emscripten::convertJSArrayToNumberVector<unsigned char>(bytes));
    }
    // `anyway`: the user answered « Oui » to openQuestion.
    void open(const std::string& fileName, const val& bytes, bool anyway)
    {
        m_view.m_openAnyway = anyway;
        m_model.openParameterBytes(fileName,
                                   emscripten::convertJSArrayToNumberVector<unsigned char>(bytes));
        m_view.m_openAnyway = false;
    }
    bool hasUnsavedChanges() const { return m_model.hasUnsavedChanges(); }
    // After a HEX image: its name with .kv2; otherwise empty.
    std::string proposedSaveName() const { return m_model.proposedSaveName(); }
    // « Comparer… »: { heading, lines, text, tableOnly }, or { error } for a
    // file that cannot be compared; the window does not change.
    val compare(const std::string& fileName, const val& bytes) const
    {
        korval::FileComparison comparison;
        std::string reason;
        val out = val::object();
        if (!m_model.compareWithBytes(
                fileName, emscripten::convertJSArrayToNumberVector<unsigned char>(bytes),
                comparison, reason)) {
            out.set("error", korval::FormModel::comparisonFailure(fileName, reason));
            return out;
        }
        out.set("heading", comparison.heading);
        out.set("lines", toArray(comparison.lines));
        out.set("text", comparison.text());
        out.set("tableOnly", comparison.tableOnly);
        return out;
    }
    // The page hands both files to the browser's downloads: they count as saved.
    val save(const std::string& chosenName)
    {
        const korval::FormModel::SaveOutput output = m_model.saveOutput(chosenName);
        m_model.markSaved(output);
        val out = val::object();
        out.set("kv2Name", output.kv2Name);
        out.set("kv2", toBytes(output.kv2));
        out.set("hexName", output.hexName);
        out.set("hex", toBytes(output.hex));
        return out;
    }

    // The mount dialog's texts, the inputs in the core's order of each page:
    // { title, pages, rates, mountCaptions, mountNotes,
    //   calibrationCaptions, calibrationNotes, halfStep, direction, east, west,
    //   apply, close }.
    val mountDialogTexts() const
    {
        using namespace korval;
        val out = val::object();
        const auto list = [](auto count, auto text) {
            val items = val::array();
            for (int i = 0; i < count; ++i)
                items.call<void>("push", std::string(text(i)));
            return items;
        };
        out.set("title", std::string(kMountDialogTitle));
        out.set("mountList", std::string(kMountListCaption));
        const std::vector<std::string> entries = mountListEntries();
        out.set("mounts",
                list(int(entries.size()), [&](int i) { return entries[std::size_t(i)]; }));
        out.set("pages", list(kMountPageCount, [](int i) { return mountPageTitle(MountPage(i)); }));
        out.set("rates", list(int(kTrackingRateNames.size()),
                              [](int i) { return kTrackingRateNames[std::size_t(i)]; }));
        const auto mountInput = [](auto text) {
            return [text](int i) { return text(MountInput(i)); };
        };
        out.set("mountCaptions", list(4, mountInput(mountInputCaption)));
        out.set("mountNotes", list(4, mountInput(mountInputNote)));
        const auto calibrationInput = [](auto text) {
            return [text](int i) { return text(CalibrationInput(i)); };
        };
        out.set("calibrationCaptions", list(5, calibrationInput(calibrationInputCaption)));
        out.set("calibrationNotes", list(5, calibrationInput(calibrationInputNote)));
        out.set("halfStep", std::string(kHalfStepCaption));
        out.set("direction", std::string(kDriftDirectionCaption));
        out.set("east", std::string(driftDirectionName(DriftDirection::East)));
        out.set("west", std::string(driftDirectionName(DriftDirection::West)));
        out.set("apply", std::string(kMountApplyCaption));
        out.set("close", std::string(kMountCloseCaption));
        return out;
    }

    // The list « Monture »: the boxes' texts once its row `choice` is chosen
    // ({ teeth, motorSteps, reduction }), the choice it shows once the boxes
    // changed, and its help text.
    val mountFill(int choice, const std::string& teeth, const std::string& motorSteps,
                  const std::string& reduction) const
    {
        korval::MountTexts texts;
        texts.teeth = teeth;
        texts.motorSteps = motorSteps;
        texts.reduction = reduction;
        const auto& models = korval::mountModels();
        if (choice > 0 && choice <= int(models.size()))
            texts = korval::filledByModel(models[std::size_t(choice - 1)], texts);
        return textObject({"teeth", "motorSteps", "reduction"},
                          {texts.teeth, texts.motorSteps, texts.reduction});
    }
    int mountListChoice(int choice, const std::string& teeth, const std::string& motorSteps,
                        const std::string& reduction) const
    {
        return korval::mountListChoice(choice, korval::MountTexts{teeth, motorSteps, reduction});
    }
    std::string mountListHelp(int choice) const { return korval::mountListHelp(choice); }

    // What « Appliquer » types on a page: [{ control, text }], empty while
    // the page's inputs are refused.
    static val applyWrites(const korval::MountDialogState& state)
    {
        val writes = val::array();
        for (const korval::BoxText& write : state.applyWrites()) {
            val one = val::object();
            one.set("control", std::string(write.control));
            one.set("text", write.text);
            writes.call<void>("push", one);
        }
        return writes;
    }

    // The mount assistant on the typed texts: { results, writes } as the
    // window shows them, and { fault, input } for a refused one.
    val mount(const std::string& teeth, const std::string& motorSteps, const std::string& reduction,
              bool halfStep, const std::string& rate) const
    {
        korval::MountTexts texts;
        texts.teeth = teeth;
        texts.motorSteps = motorSteps;
        texts.reduction = reduction;
        texts.halfStep = halfStep;
        texts.rate = rate;
        korval::MountDialogState state;
        state.gearTrain = korval::mountPanel(texts, m_model.currentRecord());
        val out = val::object();
        out.set("results", state.gearTrain.results);
        out.set("writes", applyWrites(state));
        if (const auto fault = korval::computeMount(texts).fault) {
            out.set("fault", korval::mountFaultText(*fault, false));
            out.set("input", int(fault->input));
        }
        return out;
    }

    // --- The calibration from a drift on the sky ---
    // On the typed texts and the form's own values: { report, note, dureeTour }
    // with the text the DureeTour box would show, or { fault, input } for a
    // refused one (input: drift 0, scale 1, time 2, declination 3, rate 4,
    // the form's values 5).
    val calibrate(const std::string& drift, const std::string& plateScale,
                  const std::string& duration, bool east, const std::string& declination,
                  const std::string& rate) const
    {
        korval::CalibrationTexts texts;
        texts.drift = drift;
        texts.plateScale = plateScale;
        texts.duration = duration;
        texts.direction = east ? korval::DriftDirection::East : korval::DriftDirection::West;
        texts.declination = declination;
        texts.rate = rate;
        const korval::CalibrationOutcome outcome = korval::computeCalibration(
            texts, korval::calibrationSettings(m_model.currentRecord(), m_model.driveParameters()));
        val out = val::object();
        if (outcome.fault) {
            out.set("fault", korval::calibrationFaultText(*outcome.fault, false));
            out.set("input", int(outcome.fault->input));
            return out;
        }
        out.set("report", korval::calibrationReport(*outcome.result));
        out.set("note", korval::calibrationApplyNote(*outcome.result));
        korval::MountDialogState state;
        state.page = korval::MountPage::Calibration;
        state.calibration.dureeTour = korval::calibrationBoxText(*outcome.result);
        out.set("writes", applyWrites(state));
        return out;
    }
    std::string driftDirectionHelp() const { return korval::driftDirectionHelp(); }

    // The messages of the faults since the last call, in their order.
    val errors() { return toArray(m_view.take()); }
    val notes() { return toArray(m_view.takeNotes()); }

private:
    CollectingView m_view;
    korval::FormModel m_model;
    std::vector<std::string> m_names;
    korval::ShownState m_shown; // what the page last read of it
};

} // namespace

EMSCRIPTEN_BINDINGS(korval_web)
{
    emscripten::class_<WebForm>("WebForm")
        .constructor<>()
        .function("activate", &WebForm::activate)
        .function("controlNames", &WebForm::controlNames)
        .function("changedControls", &WebForm::changedControls)
        .function("helpText", &WebForm::helpText)
        .function("accessibleNames", &WebForm::accessibleNames)
        .function("toolButtons", &WebForm::toolButtons)
        .function("comparisonTexts", &WebForm::comparisonTexts)
        .function("questionButtons", &WebForm::questionButtons)
        .function("boardTexts", &WebForm::boardTexts)
        .function("wholeImage", &WebForm::wholeImage)
        .function("colourScheme", &WebForm::colourScheme)
        .function("nightKeySwitches", &WebForm::nightKeySwitches)
        .function("listText", &WebForm::listText)
        .function("listHelpText", &WebForm::listHelpText)
        .function("listVisible", &WebForm::listVisible)
        .function("listSelected", &WebForm::listSelected)
        .function("typed", &WebForm::typed)
        .function("clicked", &WebForm::clicked)
        .function("selectLine", &WebForm::selectLine)
        .function("doubleClickLine", &WebForm::doubleClickLine)
        .function("hideList", &WebForm::hideList)
        .function("listKeyAction", &WebForm::listKeyAction)
        .function("openQuestion", &WebForm::openQuestion)
        .function("open", &WebForm::open)
        .function("hasUnsavedChanges", &WebForm::hasUnsavedChanges)
        .function("save", &WebForm::save)
        .function("errors", &WebForm::errors)
        .function("mountDialogTexts", &WebForm::mountDialogTexts)
        .function("mountFill", &WebForm::mountFill)
        .function("mountListChoice", &WebForm::mountListChoice)
        .function("mountListHelp", &WebForm::mountListHelp)
        .function("notes", &WebForm::notes)
        .function("proposedSaveName", &WebForm::proposedSaveName)
        .function("compare", &WebForm::compare)
        .function("mount", &WebForm::mount)
        .function("calibrate", &WebForm::calibrate)
        .function("driftDirectionHelp", &WebForm::driftDirectionHelp);
}
