#include "file_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (info.ownerId() == uint(geteuid())) return !(info.permissions() & permission);
    return false;
}

QString systemReason(int error)
{
    switch (error) {
    case ENOENT:
        return tr("le fichier n'existe pas");
    case EACCES:
    case EPERM:
        return tr("accès refusé");
    case ENOSPC:
    case EDQUOT:
        return tr("le disque est plein");
    case EFBIG:
        return tr("le fichier dépasse la taille permise");
    case EROFS:
        return tr("le disque est en lecture seule");
    case EIO:
        return tr("erreur d'entrée-sortie");
    case ELOOP:
        return tr("trop de liens symboliques");
    case ENOTDIR:
        return tr("un élément du chemin n'est pas un dossier");
    case ENAMETOOLONG:
        return tr("le nom est trop long");
    default:
        return tr("erreur système %1 (%2)").arg(error).arg(QString::fromLocal8Bit(strerror(error)));
    }
}

// What a file that is not a regular one is, for the message.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return tr("un dossier");
    if (S_ISFIFO(mode)) return tr("un tube nommé");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return tr("un périphérique");
    if (S_ISSOCK(mode)) return tr("un socket");
    return tr("un fichier spécial");
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closing can report a write the system deferred.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

// Temporaries of this target that a killed save left: their process is gone,
// so nobody will rename them any more.
void removeLeftovers(const QString& folder, const QString& name)
{
    const QRegularExpression pattern(
        QStringLiteral("^\\.%1\\.(\\d+)-[0-9a-f]+\\.tmp$").arg(QRegularExpression::escape(name)));
    const QStringList candidates =
        QDir(folder).entryList({QLatin1Char('.') + name + QStringLiteral(".*.tmp")},
                               QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& candidate : candidates) {
        const QRegularExpressionMatch match = pattern.match(candidate);
        if (!match.hasMatch()) continue;
        const qint64 pid = match.captured(1).toLongLong();
        if (pid <= 0 || pid == qint64(getpid())) continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue; // alive, or not ours to judge
        ::unlink(native(folder + QLatin1Char('/') + candidate).constData());
    }
}

bool writeAll(int fd, const QByteArray& data, QString& reason)
{
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = systemReason(errno);
            return false;
        }
        if (n == 0) {
            reason = tr("écriture incomplète");
            return false;
        }
        done += n;
    }
    return true;
}
} // namespace

bool FileStore::read(const QString& path, qint64 maxBytes, QByteArray& data, QString& reason)
{
    const QByteArray name = native(path);
    struct stat link {
    };
    struct stat target {
    };
    if (::lstat(name.constData(), &link) != 0) {
        reason = QFileInfo(path).absoluteDir().exists() ? systemReason(errno)
                                                        : tr("le dossier n'existe pas");
        return false;
    }
    const bool isLink = S_ISLNK(link.st_mode);
    if (::stat(name.constData(), &target) != 0) {
        reason = isLink ? tr("le lien ne mène à aucun fichier") : systemReason(errno);
        return false;
    }
    if (!S_ISREG(target.st_mode)) {
        reason = isLink ? tr("c'est un lien vers %1").arg(kindOf(target.st_mode))
                        : tr("c'est %1").arg(kindOf(target.st_mode));
        return false;
    }
    const QFileInfo info(path);
    if (!info.isReadable() || ownerLacks(info, QFileDevice::ReadOwner)) {
        reason = tr("lecture non autorisée");
        return false;
    }
    // Something else may take the file's place between the check and the
    // open: without blocking, and checked again on what was opened.
    Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) {
        reason = systemReason(errno);
        return false;
    }
    struct stat opened {
    };
    if (::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) {
        reason = tr("c'est %1").arg(kindOf(opened.st_mode));
        return false;
    }
    QByteArray bytes(int(qMin<qint64>(maxBytes, qint64(opened.st_size) + 1)), '\0');
    qint64 done = 0;
    while (done < maxBytes) {
        if (done == bytes.size()) bytes.resize(int(qMin<qint64>(maxBytes, done * 2 + 64)));
        const ssize_t n = ::read(file.get(), bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = systemReason(errno);
            return false;
        }
        if (n == 0) break;
        done += n;
    }
    bytes.truncate(int(done));
    data = bytes;
    return true;
}

bool FileStore::writeAtomically(const QString& path, const QByteArray& data, QString& reason)
{
    QFileInfo info(path);
    // A link is followed: the file it names is replaced, the link stays.
    if (info.isSymLink() && info.exists()) info = QFileInfo(info.canonicalFilePath());
    if (info.isDir()) {
        reason = tr("un dossier porte ce nom");
        return false;
    }
    // A pipe or a device of that name is not the user's file: never replaced.
    struct stat existing {
    };
    if (::stat(native(info.absoluteFilePath()).constData(), &existing) == 0 &&
        !S_ISREG(existing.st_mode)) {
        reason = tr("c'est %1").arg(kindOf(existing.st_mode));
        return false;
    }
    if (info.exists() && (!info.isWritable() || ownerLacks(info, QFileDevice::WriteOwner))) {
        reason = tr("le fichier est en lecture seule");
        return false;
    }
    const QString folderPath = info.absolutePath();
    const QFileInfo folder(folderPath);
    if (!folder.isDir()) {
        reason = tr("le dossier n'existe pas");
        return false;
    }
    if (!folder.isWritable() || ownerLacks(folder, QFileDevice::WriteOwner)) {
        reason = tr("le dossier est en lecture seule");
        return false;
    }
    const QString targetName = info.fileName();
    const QByteArray target = native(info.absoluteFilePath());
    removeLeftovers(folderPath, targetName);

    // A name of this process and a random part, created exclusively: two saves
    // never share a temporary.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary =
            native(QStringLiteral("%1/.%2.%3-%4.tmp")
                       .arg(folderPath, targetName)
                       .arg(qint64(getpid()))
                       .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    Descriptor file(fd);
    struct stat old {
    };
    bool ok = true;
    // The new file keeps the permissions of the one it replaces (no set-id bits).
    if (::stat(target.constData(), &old) == 0 && ::fchmod(file.get(), old.st_mode & 0777) != 0) {
        reason = systemReason(errno);
        ok = false;
    }
    ok = ok && writeAll(file.get(), data, reason);
    // The bytes must be on the disk before the name points at them: after a
    // crash the rename could otherwise survive and the data not.
    if (ok && ::fsync(file.get()) != 0) {
        reason = systemReason(errno);
        ok = false;
    }
    if (!file.close() && ok) {
        reason = systemReason(errno);
        ok = false;
    }
    if (ok && ::rename(temporary.constData(), target.constData()) != 0) {
        reason = systemReason(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return false;
    }
    // The rename itself lives in the folder: sync it too. A file system that
    // cannot sync a folder (EINVAL) has nothing more to offer.
    Descriptor dir(::open(native(folderPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0 && ::fsync(dir.get()) != 0 && errno != EINVAL) {
        reason = systemReason(errno);
        return false;
    }
    return true;
}
