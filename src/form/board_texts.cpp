#include "form/board_texts.h"

#include "config/parameter_file.h"

#include <stdexcept>

namespace korval
{

const BoardTexts& boardTexts()
{
    static const BoardTexts texts{
        "Carte",
        "Carte…",
        'a',
        "Image du micrologiciel (.hex)",
        "Choisir…",
        "Écrire l'image complète…",
        "Commande d'écriture",
        "Commande de lecture",
        "Programmer",
        "Arrêter",
        "Fermer",
        "Sortie du programmateur",
        "Programmer la carte demande l'outil de bureau (Windows ou Linux) ; la page "
        "fournit l'image complète.",
    };
    return texts;
}

const char* writeCommandHelp()
{
    return "Votre commande de programmateur, lancée sans interpréteur : les mots sont séparés "
           "par des blancs, les guillemets groupent. Elle doit contenir :\n"
           "{hex} : la table seule en 0x7C00, telle que « Sauvegarder » l'écrit, pour le "
           "chargeur d'amorçage de la carte, qui n'écrit que ces lignes ;\n"
           "{image} : l'image complète, le micrologiciel choisi avec la table à sa place, pour un "
           "programmateur qui efface toute la puce.\n"
           "Attention : {hex} donné à un programmateur qui efface toute la puce efface le "
           "micrologiciel.";
}

const char* readCommandHelp()
{
    return "Facultative : la commande qui relit la mémoire programme de la carte dans le fichier "
           "{lecture} (Intel HEX). La table relue en 0x7C00 est alors comparée à celle de la "
           "fenêtre.";
}

std::string tableFileName(const std::string& base, const char* suffix)
{
    return (base.empty() ? std::string("table") : base) + suffix;
}

std::string wholeImageName(const std::string& tableName)
{
    return tableFileName(replaceExtension(tableName, ""), kWholeImageSuffix);
}

std::string firmwareUnreadable(const std::string& name)
{
    return "« " + name +
           " » ne peut plus être lu : il a changé ou a été déplacé depuis qu'il a été choisi ; "
           "choisissez-le de nouveau";
}

std::string wholeImageFailure(const std::string& reason)
{
    return "Impossible d'écrire l'image complète :\n" + reason + ".";
}

std::string boardTableNote(bool differsFromSaved)
{
    return differsFromSaved ? "La table programmée est celle de la fenêtre, qui diffère du "
                              "fichier enregistré."
                            : "La table programmée est celle de la fenêtre, identique au fichier "
                              "enregistré.";
}

const std::vector<BoardControl>& boardControls()
{
    const BoardTexts& t = boardTexts();
    using K = BoardControlKind;
    using I = BoardControlId;
    static const std::vector<BoardControl> controls{
        {I::FirmwareLabel,
         "LabelMicrologiciel",
         K::Label,
         {8, 8, 544, 16},
         t.firmware,
         'I',
         nullptr,
         ColourRole::Window,
         true},
        {I::FirmwareEdit,
         "EditMicrologiciel",
         K::Edit,
         {8, 26, 360, 23},
         "",
         0,
         nullptr,
         ColourRole::Field,
         true},
        {I::ChooseFirmware,
         "ButtonChoisirMicrologiciel",
         K::Button,
         {374, 25, 80, 25},
         t.chooseFirmware,
         'h',
         nullptr,
         ColourRole::Field,
         true},
        {I::WriteImage,
         "ButtonEcrireImage",
         K::Button,
         {8, 56, 200, 25},
         t.writeImage,
         'c',
         nullptr,
         ColourRole::Field,
         false},
        {I::WriteLabel,
         "LabelCommandeEcriture",
         K::Label,
         {8, 92, 544, 16},
         t.writeCommand,
         't',
         nullptr,
         ColourRole::Window,
         true},
        {I::WriteEdit,
         "EditCommandeEcriture",
         K::Edit,
         {8, 110, 544, 23},
         "",
         0,
         writeCommandHelp(),
         ColourRole::Field,
         true},
        {I::ReadLabel,
         "LabelCommandeLecture",
         K::Label,
         {8, 140, 544, 16},
         t.readCommand,
         'l',
         nullptr,
         ColourRole::Window,
         true},
        {I::ReadEdit,
         "EditCommandeLecture",
         K::Edit,
         {8, 158, 544, 23},
         "",
         0,
         readCommandHelp(),
         ColourRole::Field,
         true},
        {I::Note,
         "LabelNoteTable",
         K::Label,
         {8, 188, 544, 16},
         "",
         0,
         nullptr,
         ColourRole::Window,
         true},
        {I::Output,
         "SortieProgrammateur",
         K::Output,
         {8, 208, 544, 152},
         "",
         0,
         nullptr,
         ColourRole::ReadOnlyField,
         true},
        {I::Program,
         "ButtonProgrammer",
         K::Button,
         {8, 368, 100, 25},
         t.program,
         'P',
         nullptr,
         ColourRole::Field,
         false},
        {I::Stop,
         "ButtonArreter",
         K::Button,
         {116, 368, 100, 25},
         t.stop,
         'r',
         nullptr,
         ColourRole::Field,
         false},
        {I::Close,
         "ButtonFermer",
         K::Button,
         {452, 368, 100, 25},
         t.close,
         0,
         nullptr,
         ColourRole::Field,
         true},
    };
    return controls;
}

const BoardControl& boardControl(BoardControlId id)
{
    for (const BoardControl& control : boardControls())
        if (control.id == id) return control;
    throw std::out_of_range("boardControl");
}

} // namespace korval
