#pragma once
// Reading and writing the tool's files. A write goes to a file beside its
// target that replaces it in one step, so a failed or killed save leaves the
// old file as it was.

#include <QByteArray>
#include <QString>

class FileStore
{
public:
    virtual ~FileStore() = default;
    // Reads at most `maxBytes`; false with a French reason when the file cannot
    // be opened or read. A read-only file opens: only reading is asked for.
    // Anything but a regular file (a folder, a named pipe, a device, a socket,
    // a link to one of them) is refused without being opened for reading, so
    // a pipe with no writer never blocks the caller.
    virtual bool read(const QString& path, qint64 maxBytes, QByteArray& data, QString& reason);
    // Replaces `path` by `data` atomically; false with a reason on any failure.
    // A file or folder marked read-only is not replaced, even for the super-user.
    // The new bytes reach the disk before they take the old file's place, so
    // the target holds its old bytes or its new ones whenever the process is
    // killed. The temporary file is ".<name>.<pid>-<random>.tmp" beside the
    // target; one left by a killed process is removed by a later save of the
    // same target once that process no longer exists.
    virtual bool writeAtomically(const QString& path, const QByteArray& data, QString& reason);
};
