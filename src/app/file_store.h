#pragma once
// Reading and writing the tool's files. A write goes to a file beside its
// target that replaces it in one step, so a failed save leaves the old file as
// it was and no temporary file behind.

#include <QByteArray>
#include <QString>

class FileStore
{
public:
    virtual ~FileStore() = default;
    // Reads at most `maxBytes`; false with a French reason when the file cannot
    // be opened or read. A read-only file opens: only reading is asked for.
    virtual bool read(const QString& path, qint64 maxBytes, QByteArray& data, QString& reason);
    // Replaces `path` by `data` atomically; false with a reason on any failure.
    // A file or folder marked read-only is not replaced, even for the super-user.
    virtual bool writeAtomically(const QString& path, const QByteArray& data, QString& reason);
};
