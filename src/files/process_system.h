#pragma once
// What the shared runner (process_common.cpp) asks of each system's own
// (process_posix.cpp, process_windows.cpp), and the words both use when a
// program does not start.

#include "files/process_runner.h"

#include <string>

namespace korval::files
{

// runProgram once the arguments name a program.
ProcessResult runNamedProgram(const std::vector<std::string>& arguments,
                              const std::function<void(const std::string&)>& output,
                              const std::atomic<bool>* stop);

// Why a program did not start, where both systems know the cause.
enum class StartFault { Missing, Denied, NotAProgram };
std::string startFaultText(StartFault fault);

} // namespace korval::files
