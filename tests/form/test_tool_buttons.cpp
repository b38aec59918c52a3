// The tool buttons' table: each on a free place of the window (no control of
// the form under it, visible or hidden, nor another tool button), its letter
// in its caption and given once, its name and help for screen readers, that
// help with and without the key; and the names the whole image and the
// programmer's files are given. Qt-free.

#include "form/board_texts.h"
#include "form/form_controls.h"
#include "form/form_help.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

using namespace korval;

namespace
{
int failures = 0;

void check(bool ok, const std::string& what)
{
    if (ok) return;
    std::printf("ÉCHEC : %s\n", what.c_str());
    ++failures;
}

bool apart(const ControlGeometry& a, const ControlGeometry& b)
{
    return a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
           b.y + b.height <= a.y;
}

// A control's place in the window's client area: a group box's children are
// placed inside it.
ControlGeometry inWindow(const ControlInfo& control)
{
    ControlGeometry place = control.geometry;
    if (*control.parent == '\0') return place;
    for (const ControlInfo& box : formControls())
        if (std::strcmp(box.name, control.parent) == 0) {
            place.x += box.geometry.x;
            place.y += box.geometry.y;
        }
    return place;
}

void testPlacesAndLetters()
{
    const auto texts = accessibleTexts();
    std::string letters;
    const std::vector<ToolButtonInfo>& buttons = toolButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const ToolButtonInfo& button = buttons[i];
        const std::string name = button.name;
        const ControlGeometry& p = button.place;
        check(p.x >= 0 && p.y >= 0 && p.width > 0 && p.height > 0 && p.x + p.width <= kFormWidth &&
                  p.y + p.height <= kFormHeight,
              name + " sort de la fenêtre");
        for (const ControlInfo& control : formControls())
            check(apart(p, inWindow(control)), name + " recouvre " + control.name);
        for (std::size_t j = i + 1; j < buttons.size(); ++j)
            check(apart(p, buttons[j].place), name + " recouvre " + buttons[j].name);
        check(!button.tabStop, name + " est dans l'ordre de tabulation");
        if (button.mnemonic) {
            const char lower = char(std::tolower(static_cast<unsigned char>(button.mnemonic)));
            check(letters.find(lower) == std::string::npos,
                  std::string("lettre ") + button.mnemonic + " donnée deux fois");
            check(std::string(button.caption).find(button.mnemonic) != std::string::npos,
                  name + " : la lettre n'est pas dans « " + button.caption + " »");
            letters += lower;
        }
        const auto text = texts.find(name);
        check(text != texts.end() && !text->second.name.empty() &&
                  !text->second.description.empty(),
              name + " : ni nom ni aide pour les lecteurs d'écran");
    }
    const ToolButtonInfo& board = toolButton(kBoardButtonName);
    check(board.name == std::string(kBoardButtonName) &&
              board.caption == std::string(boardTexts().toolButton) &&
              mnemonicCaption(board) == "C&arte…",
          "« Carte… » dans la table des boutons");
}

// The windows' help names the key that reaches the button, by its letter;
// the page's is the same sentence without it.
void testToolHelp()
{
    const auto texts = accessibleTexts();
    for (const ToolButtonInfo& button : toolButtons()) {
        const std::string name = button.name;
        const std::string windows = toolButtonHelp(name, true);
        const std::string page = toolButtonHelp(name, false);
        check(texts.at(name).description == windows, name + " : l'aide des lecteurs d'écran");
        std::size_t key = windows.find(" (Alt+");
        if (key == std::string::npos) key = windows.find(" (Ctrl+");
        const std::size_t end = windows.find(')', key);
        check(key != std::string::npos && end != std::string::npos &&
                  windows[end - 1] == std::toupper(static_cast<unsigned char>(button.mnemonic)),
              name + " : pas de touche dans « " + windows + " »");
        if (key == std::string::npos || end == std::string::npos) continue;
        check(windows.substr(0, key) + windows.substr(end + 1) == page,
              name + " : l'aide de la page « " + page + " »");
    }
}

void testImageNames()
{
    const struct {
        const char* table;
        const char* image;
    } cases[] = {
        {"monture.kv2", "monture-image.hex"},
        {"monture", "monture-image.hex"},
        {"", "table-image.hex"},
        {"memory.hex.kv2", "memory.hex-image.hex"}, // a board's dump opened: Save's name
    };
    for (const auto& c : cases)
        check(wholeImageName(c.table) == c.image,
              std::string("nom de l'image de « ") + c.table + " » : " + wholeImageName(c.table));

    // The programmer's files, from the table's name without extension.
    const struct {
        const char* base;
        const char* suffix;
        const char* file;
    } files[] = {
        {"monture", ".hex", "monture.hex"},
        {"", "-lecture.hex", "table-lecture.hex"},
        {"memory.hex", kWholeImageSuffix, "memory.hex-image.hex"}, // already without extension
    };
    for (const auto& f : files)
        check(tableFileName(f.base, f.suffix) == f.file,
              std::string("fichier de « ") + f.base + " » : " + tableFileName(f.base, f.suffix));
}
} // namespace

int main()
{
    testPlacesAndLetters();
    testToolHelp();
    testImageNames();
    std::printf("%zu boutons, %d échecs\n", toolButtons().size(), failures);
    return failures == 0 ? 0 : 1;
}
