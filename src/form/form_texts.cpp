#include "form/form_texts.h"

#include "form/board_texts.h"

namespace korval
{

namespace
{
// A filter written "description|pattern", as its entry.
FileFilter filterOf(const std::string& filter)
{
    const std::size_t bar = filter.find('|');
    return {filter.substr(0, bar), filter.substr(bar + 1)};
}
} // namespace

std::vector<FileFilter> saveFileFilters()
{
    return {filterOf(kParameterFilter)};
}

std::vector<FileFilter> openFileFilters()
{
    return {filterOf(kParameterFilter),
            {"Images HEX de la carte (*.hex)", "*.hex"},
            {"Tous les fichiers", "*"}};
}

std::vector<FileFilter> firmwareFileFilters()
{
    return {filterOf(kFirmwareFilter)};
}

std::string qtNameFilters(const std::vector<FileFilter>& filters)
{
    std::string out;
    for (const FileFilter& filter : filters) {
        if (!out.empty()) out += ";;";
        out += filter.description;
        if (filter.description.find('(') == std::string::npos) {
            std::string patterns = filter.patterns;
            for (char& c : patterns)
                if (c == ';') c = ' ';
            out += " (" + patterns + ")";
        }
    }
    return out;
}

const ComparisonTexts& comparisonTexts()
{
    static const ComparisonTexts texts{"Comparer", "Champs qui diffèrent", "Copier", 'C', "Fermer"};
    return texts;
}

std::string replaceQuestion(const std::string& path)
{
    return "Le fichier « " + path + " » existe déjà.\nVoulez-vous le remplacer ?";
}

const QuestionButtons& questionButtons()
{
    static const QuestionButtons buttons{
        "Enregistrer", "Ne pas enregistrer", "Annuler", "Oui", "Non", "OK"};
    return buttons;
}

} // namespace korval
