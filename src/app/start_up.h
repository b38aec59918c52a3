#pragma once
// What the program sets up for itself before its window exists.

#include <QString>
#include <QStringList>

// A window started from a pipe (korvalset24 | head) must not be killed when
// the reader goes away while a Save echoes the HEX lines: a write to a closed
// pipe then fails instead of raising SIGPIPE.
void ignoreClosedOutput();

// What the command line asks of this start.
struct StartOptions {
    // The parameter file named, as a full path like the one the open dialog
    // returns; empty without one.
    QString path;
    bool night = false; // --nuit: the night look for this start only
};

// Qt's own options are gone from the arguments by now. --help, --version and
// a usage error end the program.
StartOptions parseStartOptions(const QStringList& arguments);

// --nuit, or else the look the user chose last.
bool startsInNightLook(const StartOptions& options);
