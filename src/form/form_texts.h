#pragma once
// The words every window shows around the form: the file dialogs' filters,
// the « Comparer… » dialog, the buttons of the questions. Each front end maps
// them to its toolkit; none writes them again.

#include <string>
#include <vector>

namespace korval
{

// One entry of a file dialog's list of types: its shown text and the
// patterns it lists, ';'-separated ("*.kv2").
struct FileFilter {
    std::string description;
    std::string patterns;
};

// The parameter file's own filter, as "description|pattern".
inline const char* const kParameterFilter = "KORVAL 2 (*.kv2)|*.kv2";

// « Sauvegarder » offers the parameter files alone; « Ouvrir » and
// « Comparer… » offer them first, then the board's HEX images and every file.
std::vector<FileFilter> saveFileFilters();
std::vector<FileFilter> openFileFilters();
// The firmware image's dialogs offer its HEX images alone (kFirmwareFilter).
std::vector<FileFilter> firmwareFileFilters();

// The filters in Qt's form: "KORVAL 2 (*.kv2);;Tous les fichiers (*)"
// (a description without its patterns in brackets gets them added).
std::string qtNameFilters(const std::vector<FileFilter>& filters);

// The « Comparer… » dialog.
struct ComparisonTexts {
    const char* title;    // the window's title
    const char* listName; // the list's name for screen readers
    const char* copy;     // puts the whole list on the clipboard
    char copyMnemonic;
    const char* close;
};
const ComparisonTexts& comparisonTexts();

// The question asked before a file chosen in « Sauvegarder » is replaced.
std::string replaceQuestion(const std::string& path);

// The buttons of the questions FormView asks.
struct QuestionButtons {
    const char* save;    // askSaveChanges
    const char* discard; // askSaveChanges
    const char* cancel;  // askSaveChanges
    const char* yes;     // askOpenAnyway, confirmReplace
    const char* no;      // askOpenAnyway, confirmReplace (the default)
    const char* ok;      // a message
};
const QuestionButtons& questionButtons();

} // namespace korval
