// Runs the sessions of the browser tests through the form model natively, as
// the window runs them, and prints what the window then shows and saves: the
// browser tests compare the web page, compiled to WebAssembly, with it.
//
// usage: form_sessions SESSIONS.txt FILES_DIR > expected.json
// A session starts with "= name"; then one action a line:
//   type NAME TEXT | click NAME | select N | dblclick N | hide | open FILE | save NAME

#include "form/form_model.h"
#include "support/session_script.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace
{

class Messages : public korval::FormView
{
public:
    void showError(const std::string& message) override { shown.push_back(message); }
    std::vector<std::string> shown;
};

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string strings(const std::vector<std::string>& texts)
{
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i ? "," : "") + quoted(texts[i]);
    return out + "]";
}

using korval_test::Session;

void run(const Session& session, const std::string& filesDir, bool first)
{
    Messages messages;
    korval::FormModel model(&messages);
    model.FormOnActivate();
    korval::FormModel::SaveOutput saved;
    for (const std::string& line : session.actions) {
        const korval_test::SessionAction action = korval_test::parseAction(line);
        const std::string& verb = action.verb;
        const std::string& name = action.name;
        if (verb == "type") {
            model.userTyped(name, action.text);
        } else if (verb == "click") {
            model.userClicked(name);
        } else if (verb == "select") {
            model.userSelectedLine(std::stoi(name));
        } else if (verb == "dblclick") {
            model.userDoubleClickedLine(std::stoi(name));
        } else if (verb == "hide") {
            model.hideList();
        } else if (verb == "open") {
            std::ifstream file(filesDir + "/" + name, std::ios::binary);
            const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
            model.openParameterBytes(name, bytes);
        } else if (verb == "save") {
            saved = model.saveOutput(name);
        }
    }
    std::cout << (first ? "" : ",\n") << quoted(session.name) << ":{\"controls\":{";
    bool firstControl = true;
    for (const std::string& control : model.controlNames()) {
        const korval::ControlState& state = model.control(control);
        std::cout << (firstControl ? "" : ",") << quoted(control) << ":[" << quoted(state.text)
                  << "," << (state.checked ? "true" : "false") << ","
                  << quoted(model.storedNote(control)) << "]";
        firstControl = false;
    }
    std::string kv2;
    for (const unsigned char byte : saved.kv2) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        kv2 += hex;
    }
    std::vector<std::string> help;
    for (std::size_t i = 0; i < model.listLines().size(); ++i)
        help.push_back(model.listLineHelp(int(i)));
    std::cout << "},\"listVisible\":" << (model.listVisible() ? "true" : "false")
              << ",\"listSelected\":" << model.listSelected()
              << ",\"list\":" << strings(model.listLines()) << ",\"listHelp\":" << strings(help)
              << ",\"errors\":" << strings(messages.shown)
              << ",\"kv2Name\":" << quoted(saved.kv2Name) << ",\"kv2\":" << quoted(kv2)
              << ",\"hexName\":" << quoted(saved.hexName) << ",\"hex\":" << quoted(saved.hex)
              << "}";
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The same bytes as on every other system: no line feed becomes CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc != 3) {
        std::cerr << "usage: form_sessions SESSIONS.txt FILES_DIR\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    const std::vector<Session> sessions = korval_test::readSessions(in);
    if (sessions.empty()) {
        std::cerr << "form_sessions: " << argv[1] << " holds no session\n";
        return 2;
    }
    std::cout << "{";
    for (std::size_t i = 0; i < sessions.size(); ++i)
        run(sessions[i], argv[2], i == 0);
    std::cout << "}\n";
    return 0;
}
