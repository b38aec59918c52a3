#pragma once
// What every verb of korvalset24-cli shares: exit statuses, messages, the
// options of a verb, and reading and writing the tool's files through the
// same FileStore as the window.

#include "config/config_record.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <string>

namespace cli
{

enum Exit {
    kSuccess = 0, // done; no difference, no problem
    kFound = 1,   // differences (diff) or problems (check) found
    kFailure = 2, // usage, invalid value, unreadable file, failed write
};

// printf-style, of any length.
std::string text(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// `label` followed by blanks up to `width` characters (not bytes).
std::string padded(const std::string& label, int width);

void out(const std::string& text);
void out(const QString& text);
// "korvalset24-cli VERBE : message" on standard error.
void fail(const char* verb, const QString& message);
// A usage error: the message, then where the help is; returns kFailure.
int usage(const char* verb, const QString& message);

// A verb's arguments: options with a value, flags, and the rest in order.
// `--` ends the options.
class Arguments
{
public:
    Arguments(const QStringList& arguments, const QStringList& valueOptions,
              const QStringList& flagOptions);
    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    bool has(const QString& option) const { return m_values.contains(option); }
    QString value(const QString& option) const { return m_values.value(option); }
    const QStringList& positional() const { return m_positional; }

private:
    QMap<QString, QString> m_values;
    QStringList m_positional;
    QString m_error;
};
bool wantsHelp(const QStringList& arguments);

// A .kv2 file of exactly 61 bytes into `record` and `drive`; otherwise false
// with a message naming the file.
bool readParameterFile(const QString& path, korval::ConfigRecord& record,
                       korval::DriveParameters& drive, QString& message);

// The one FICHIER.kv2 a verb takes, read as readParameterFile reads it: kSuccess,
// or kFailure once the usage error or the reading failure is reported.
int readSingleInput(const char* verb, const Arguments& args, korval::ConfigRecord& record,
                    korval::DriveParameters& drive);
// The parameter file named first on the command line, or the factory defaults
// when none is named; false, the reason said, when the file cannot be read.
bool readInputOrDefaults(const char* verb, const Arguments& args, korval::ConfigRecord& record,
                         korval::DriveParameters& drive);

// Reads at most `maxBytes`; a longer file is refused.
bool readWhole(const QString& path, qint64 maxBytes, QByteArray& data, QString& message);

// What the window's Save writes: the 61-byte file under `path`, then the HEX
// image beside it under the same name with ".hex". `path` must end in ".kv2".
// The first failure stops there and is the message.
bool saveParameterFile(const QString& path, const korval::ConfigRecord& record,
                       const korval::DriveParameters& drive, QString& message);

// Any file, replaced in one step.
bool writeFile(const QString& path, const QByteArray& data, QString& message);

// "« chemin »", with the platform's separators.
QString quotedPath(const QString& path);

} // namespace cli
