#include "file_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace
{
QString tr(const char* text)
{
    return QCoreApplication::translate("FileStore", text);
}

// The owner's permission bit counts even where the system would let the
// super-user through: a file marked read-only is one the user meant to keep.
bool ownerLacks(const QFileInfo& info, QFileDevice::Permission permission)
{
#ifdef Q_OS_UNIX
    if (info.ownerId() == uint(geteuid())) return !(info.permissions() & permission);
#endif
    Q_UNUSED(info);
    Q_UNUSED(permission);
    return false;
}
} // namespace

bool FileStore::read(const QString& path, qint64 maxBytes, QByteArray& data, QString& reason)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        reason = tr("c'est un dossier");
        return false;
    }
    if (info.exists() && (!info.isReadable() || ownerLacks(info, QFileDevice::ReadOwner))) {
        reason = tr("lecture non autorisée");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    QByteArray bytes;
    while (bytes.size() < maxBytes) {
        const QByteArray chunk = file.read(maxBytes - bytes.size());
        if (chunk.isEmpty()) break;
        bytes += chunk;
    }
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return false;
    }
    data = bytes;
    return true;
}

bool FileStore::writeAtomically(const QString& path, const QByteArray& data, QString& reason)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        reason = tr("un dossier porte ce nom");
        return false;
    }
    if (info.exists() && (!info.isWritable() || ownerLacks(info, QFileDevice::WriteOwner))) {
        reason = tr("le fichier est en lecture seule");
        return false;
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir()) {
        reason = tr("le dossier n'existe pas");
        return false;
    }
    if (!folder.isWritable() || ownerLacks(folder, QFileDevice::WriteOwner)) {
        reason = tr("le dossier est en lecture seule");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    // A short write must be caught before the commit: commit() alone can put
    // a truncated file in place of the old one when the disk is full.
    if (file.write(data) != data.size() || !file.flush() || file.size() != data.size()) {
        reason =
            file.error() != QFileDevice::NoError ? file.errorString() : tr("écriture incomplète");
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}
