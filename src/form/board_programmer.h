#pragma once
// « Programmer »: the window's table, and the whole image when a firmware
// image is given, written to a private folder; the owner's write command
// run; then, with a read command, the board read back and its table
// compared with the window's. The command line, the Qt window and the
// Windows window drive this one sequence through a BoardSystem.

#include "config/config_record.h"
#include "form/board_command.h"

#include <cstddef>
#include <string>
#include <vector>

namespace korval
{

// How a program run ended.
struct CommandOutcome {
    enum class End { Exited, NotStarted, Stopped };
    End end = End::NotStarted;
    int status = 0;     // the exit status when Exited
    std::string reason; // why it did not start, in French
};

// What the sequence needs of the system: a private folder, files, programs.
class BoardSystem
{
public:
    virtual ~BoardSystem() = default;
    // A new folder only the user may enter; false with a French reason.
    virtual bool makePrivateFolder(std::string& folder, std::string& reason) = 0;
    // The folder and everything in it.
    virtual void removeFolder(const std::string& folder) = 0;
    virtual bool readFile(const std::string& path, std::size_t maxBytes,
                          std::vector<unsigned char>& data, std::string& reason) = 0;
    virtual bool writeFile(const std::string& path, const std::vector<unsigned char>& data,
                           std::string& reason) = 0;
    // Runs `arguments` without a shell, its output (standard output and
    // error) given to programOutput as it comes; a stop request ends it.
    virtual CommandOutcome run(const std::vector<std::string>& arguments) = 0;
    // What the program prints, as it comes.
    virtual void programOutput(const std::string& text) = 0;
    // The sequence's own lines: the command about to run.
    virtual void progress(const std::string& line) = 0;
    // The folder path joined with a file name.
    virtual std::string join(const std::string& folder, const std::string& name) const = 0;
};

struct BoardRequest {
    ConfigRecord record;      // the window's current table
    std::string writeCommand; // as typed
    std::string readCommand;  // empty: not read back
    std::string firmwarePath; // empty: no {image}
    std::string baseName;     // the files' name in the folder ("monture"); empty: "table"
    CommandRules rules = kSystemCommandRules;
};

struct BoardReport {
    enum class Result {
        Refused,  // a command or the firmware refused: nothing ran
        Failed,   // a command failed, or the board's read-back could not be read
        Written,  // the write command succeeded; no read command
        Verified, // read back: the window's table
        Differs,  // read back: these fields differ
    };
    Result result = Result::Refused;
    std::string message;            // one sentence, in French
    std::vector<std::string> lines; // the differing fields, as « Comparer… » lists them
    std::string text() const;       // message, then the lines
};

// The message when the board holds the window's table.
inline const char* const kBoardHoldsTable = "La carte contient la table de la fenêtre";

// Nothing runs unless both commands and the firmware image are accepted.
BoardReport programBoard(const BoardRequest& request, BoardSystem& system);

// The whole image of `record` over the firmware image's text, as HEX text;
// false with a French reason naming `firmwareName` when it cannot be read.
bool wholeImageText(const std::string& firmwareName, const std::vector<unsigned char>& firmware,
                    const ConfigRecord& record, std::string& text, std::string& reason);

} // namespace korval
