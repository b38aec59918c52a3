#pragma once
// One function per verb: the verb's own arguments in, the exit status out.

#include <string>
#include <vector>

namespace cli
{

int runDefaults(const std::vector<std::string>& arguments);
int runShow(const std::vector<std::string>& arguments);
int runSet(const std::vector<std::string>& arguments);
int runSearch(const std::vector<std::string>& arguments);
int runHex(const std::vector<std::string>& arguments);
int runImportHex(const std::vector<std::string>& arguments);
int runDiff(const std::vector<std::string>& arguments);
int runCheck(const std::vector<std::string>& arguments);
int runMonture(const std::vector<std::string>& arguments);
int runImage(const std::vector<std::string>& arguments);
int runProgrammer(const std::vector<std::string>& arguments);

} // namespace cli
