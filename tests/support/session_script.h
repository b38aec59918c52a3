#pragma once
// The sessions of web/tests/sessions.txt, as every replay reads them: a
// session starts with "= name", then one action a line:
//   type NAME TEXT | click NAME | select N | dblclick N | hide | open FILE | save NAME
// Blank lines and lines starting with '#' are comments.

#include <istream>
#include <sstream>
#include <string>
#include <vector>

namespace korval_test
{

struct SessionAction {
    std::string verb;
    std::string name; // the control, the line number or the file
    std::string text; // what "type" types, possibly empty
};

struct Session {
    std::string name;
    std::vector<std::string> actions;
};

inline std::vector<Session> readSessions(std::istream& in)
{
    std::vector<Session> sessions;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '=')
            sessions.push_back({line.substr(line.find_first_not_of("= ")), {}});
        else if (!sessions.empty())
            sessions.back().actions.push_back(line);
    }
    return sessions;
}

inline SessionAction parseAction(const std::string& line)
{
    SessionAction action;
    std::istringstream in(line);
    in >> action.verb >> action.name;
    std::getline(in, action.text);
    if (!action.text.empty()) action.text.erase(0, 1); // the one blank after the name
    return action;
}

} // namespace korval_test
