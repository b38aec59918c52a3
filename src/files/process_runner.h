#pragma once
// Running the owner's programs without a shell: an argument list in, its
// standard output and error as they come, its exit status out. One
// implementation per system (process_posix.cpp, process_windows.cpp); the
// checks, the reasons, the quoting and the folders shared (process_common.cpp).

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace korval::files
{

struct ProcessResult {
    enum class End { Exited, NotStarted, Stopped };
    End end = End::NotStarted;
    int status = 0;     // Exited: the exit status (POSIX: 128 + the signal that ended it)
    std::string reason; // NotStarted: why, in French
};

// Starts `arguments` (the first is the program, found through PATH when it
// holds no separator), its standard input empty, its standard output and
// error together into `output` as they come, until it ends. When `stop`
// becomes true it is ended (POSIX: SIGTERM, two seconds later SIGKILL;
// Windows: TerminateProcess) and the result is Stopped.
ProcessResult runProgram(const std::vector<std::string>& arguments,
                         const std::function<void(const std::string&)>& output,
                         const std::atomic<bool>* stop = nullptr);

// The command line CreateProcessW is given: the program's name as
// CommandLineToArgvW takes it (in quotes when it holds a blank), each other
// argument quoted so that CommandLineToArgvW gives it back unchanged.
std::string windowsCommandLine(const std::vector<std::string>& arguments);

// A new folder in the system's temporary folder that only the user may enter
// (POSIX: mode 0700); false with a French reason.
bool makePrivateFolder(std::string& folder, std::string& reason);
// The folder and all it holds; nothing when it is empty.
void removeFolder(const std::string& folder);
// True when both paths name one existing file, by whatever links: the whole
// image is never written over the firmware image it comes from.
bool namesSameFile(const std::string& a, const std::string& b);
// `folder` and `name` with the system's separator. UTF-8 paths.
std::string joinPath(const std::string& folder, const std::string& name);

} // namespace korval::files
