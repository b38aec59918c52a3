#include "cli_common.h"

#include "config/intel_hex.h"
#include "config/parameter_file.h"
#include "files/file_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <clocale>
#include <cstdarg>
#include <cstdio>

using namespace korval;

namespace cli
{

namespace
{
constexpr qint64 kMaxRestoredBytes = 1024 * 1024;
} // namespace

std::string text(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string result(std::size_t(size > 0 ? size : 0) + 1, '\0');
    std::vsnprintf(result.data(), result.size(), format, again);
    va_end(again);
    result.resize(std::size_t(size > 0 ? size : 0));
    return result;
}

std::string padded(const std::string& label, int width)
{
    int characters = 0;
    for (char c : label)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return label + std::string(std::size_t(std::max(0, width - characters)), ' ');
}

void out(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void out(const QString& text)
{
    out(text.toStdString());
}

void fail(const char* verb, const QString& message)
{
    const QByteArray text = (QStringLiteral("korvalset24-cli") + (*verb ? " " : "") +
                             QString::fromUtf8(verb) + " : " + message + "\n")
                                .toUtf8();
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stderr);
}

int usage(const char* verb, const QString& message)
{
    fail(verb,
         message +
             QStringLiteral("\n(voir « korvalset24-cli %1 --help »)").arg(QString::fromUtf8(verb)));
    return kFailure;
}

Arguments::Arguments(const QStringList& arguments, const QStringList& valueOptions,
                     const QStringList& flagOptions)
{
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            m_positional << argument;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (valueOptions.contains(argument)) {
            if (m_values.contains(argument)) {
                m_error = QStringLiteral("l'option %1 est donnée deux fois").arg(argument);
                return;
            }
            if (i + 1 >= arguments.size()) {
                m_error = QStringLiteral("l'option %1 attend une valeur").arg(argument);
                return;
            }
            m_values.insert(argument, arguments.at(++i));
        } else if (flagOptions.contains(argument)) {
            m_values.insert(argument, QString());
        } else {
            m_error = QStringLiteral("option inconnue « %1 »").arg(argument);
            return;
        }
    }
}

bool wantsHelp(const QStringList& arguments)
{
    return arguments.contains("--help") || arguments.contains("-h");
}

QString quotedPath(const QString& path)
{
    return QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(path));
}

bool readWhole(const QString& path, qint64 maxBytes, QByteArray& data, QString& message)
{
    FileStore files;
    QString reason;
    if (!QFileInfo::exists(path)) {
        // The system's own wording would be in English.
        message =
            QStringLiteral("impossible de lire %1 : le fichier n'existe pas").arg(quotedPath(path));
        return false;
    }
    std::vector<unsigned char> bytes;
    std::string why;
    const bool read = files.read(path.toStdString(), std::size_t(maxBytes) + 1, bytes, why);
    data = QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    reason = QString::fromStdString(why);
    if (!read) {
        message = QStringLiteral("impossible de lire %1 : %2").arg(quotedPath(path), reason);
        return false;
    }
    if (data.size() > maxBytes) {
        message = QStringLiteral("%1 est trop grand (plus de %2 octets)")
                      .arg(quotedPath(path))
                      .arg(maxBytes);
        return false;
    }
    return true;
}

bool readParameterFile(const QString& path, ConfigRecord& record, DriveParameters& drive,
                       QString& message)
{
    QByteArray data;
    if (!readWhole(path, qint64(kParameterFileSize), data, message)) {
        if (data.size() > qint64(kParameterFileSize))
            message = QStringLiteral("%1 n'est pas un fichier de paramètres : plus de %2 octets")
                          .arg(quotedPath(path))
                          .arg(kParameterFileSize);
        return false;
    }
    if (data.size() != qint64(kParameterFileSize)) {
        // The window would keep the old values past the end; a script must
        // not get a file half of whose values came from elsewhere.
        message = QStringLiteral("%1 n'est pas un fichier de paramètres : %2 octets au lieu de %3")
                      .arg(quotedPath(path))
                      .arg(data.size())
                      .arg(kParameterFileSize);
        return false;
    }
    loadFactoryDefaults(record, drive);
    applyParameterFile(reinterpret_cast<const std::uint8_t*>(data.constData()),
                       std::size_t(data.size()), record, drive);
    return true;
}

int readSingleInput(const char* verb, const Arguments& args, ConfigRecord& record,
                    DriveParameters& drive)
{
    if (args.positional().size() != 1)
        return usage(verb, QStringLiteral("un seul FICHIER.kv2 est attendu"));
    QString message;
    if (readParameterFile(args.positional().first(), record, drive, message)) return kSuccess;
    fail(verb, message);
    return kFailure;
}

bool readInputOrDefaults(const char* verb, const Arguments& args, ConfigRecord& record,
                         DriveParameters& drive)
{
    if (args.positional().isEmpty()) {
        loadFactoryDefaults(record, drive);
        return true;
    }
    QString message;
    if (readParameterFile(args.positional().first(), record, drive, message)) return true;
    fail(verb, message);
    return false;
}

bool writeFile(const QString& path, const QByteArray& data, QString& message)
{
    FileStore files;
    QString reason;
    std::string why;
    const bool written = files.writeAtomically(path.toStdString(), {data.begin(), data.end()}, why);
    reason = QString::fromStdString(why);
    if (!written) {
        message = QStringLiteral("impossible d'enregistrer %1 : %2").arg(quotedPath(path), reason);
        return false;
    }
    return true;
}

bool saveParameterFile(const QString& path, const ConfigRecord& record,
                       const DriveParameters& drive, QString& message)
{
    if (!path.endsWith(QLatin1String(kParameterExtension))) {
        message = QStringLiteral("%1 : le fichier de paramètres doit finir par « .kv2 » "
                                 "(le fichier HEX est écrit à côté)")
                      .arg(quotedPath(path));
        return false;
    }
    // Kept so that a refused .hex does not leave a new .kv2 beside an old .hex.
    const bool existed = QFileInfo::exists(path);
    QByteArray previous;
    std::vector<unsigned char> previousBytes;
    std::string ignoredReason;
    const bool restorable =
        !existed || FileStore().read(path.toStdString(), std::size_t(kMaxRestoredBytes),
                                     previousBytes, ignoredReason);
    previous = QByteArray(reinterpret_cast<const char*>(previousBytes.data()),
                          qsizetype(previousBytes.size()));
    const ParameterFileBytes bytes = serializeParameterFile(record, drive);
    if (!writeFile(path, QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())),
                   message))
        return false;
    const QString hexName =
        QString::fromStdString(replaceExtension(path.toStdString(), kHexExtension));
    if (writeFile(hexName, QByteArray::fromStdString(exportHexText(record).text), message))
        return true;
    QString unused;
    const bool restored = restorable && previous.size() < kMaxRestoredBytes &&
                          (existed ? writeFile(path, previous, unused) : QFile::remove(path));
    message += restored ? QStringLiteral(" ; %1 reste comme avant").arg(quotedPath(path))
                        : QStringLiteral(" ; %1 est pourtant écrit").arg(quotedPath(path));
    return false;
}

} // namespace cli
