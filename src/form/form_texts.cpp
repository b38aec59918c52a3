#include "form/form_texts.h"

namespace korval
{

namespace
{
FileFilter parameterFilter()
{
    const std::string filter = kParameterFilter;
    const std::size_t bar = filter.find('|');
    return {filter.substr(0, bar), filter.substr(bar + 1)};
}
} // namespace

std::vector<FileFilter> saveFileFilters()
{
    return {parameterFilter()};
}

std::vector<FileFilter> openFileFilters()
{
    return {parameterFilter(), {"Images HEX de la carte (*.hex)", "*.hex"},
            {"Tous les fichiers", "*"}};
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
    static const QuestionButtons buttons{"Enregistrer", "Ne pas enregistrer", "Annuler",
                                         "Oui",         "Non",                "OK"};
    return buttons;
}

} // namespace korval
