// "Ouvrir" and "Sauvegarder": the .kv2 parameter file and the HEX image written
// beside it after every confirmed save.

#include "app/tform1.h"
#include "app/user_dialogs.h"
#include "config/intel_hex.h"
#include "config/parameter_file.h"
#include "files/file_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <cstdio>

using namespace korval;

namespace
{
const QString kFilter = QStringLiteral("KORVAL 2 (*.kv2)|*.kv2");

QString tr(const char* text)
{
    return QCoreApplication::translate("TForm1", text);
}

QString withExtension(const QString& path, const char* extension)
{
    return QString::fromStdString(replaceExtension(path.toStdString(), extension));
}

QString failure(const char* what, const QString& path, const QString& reason)
{
    return tr(what).arg(QDir::toNativeSeparators(path), reason);
}
} // namespace

void TForm1::ButtonOuvrirClick()
{
    const QString path = m_dialogs->openFileName(this, kFilter);
    if (path.isEmpty()) return;
    openParameterFile(path);
}

void TForm1::openParameterFile(const QString& path)
{
    openFileName = path; // used as chosen: no extension is forced
    QByteArray content;
    QString reason;
    if (!m_files->read(path, qint64(kParameterFileSize), content, reason)) {
        // Nothing is read and nothing is refilled: the user's edits stay.
        showError(
            failure("Impossible d'ouvrir le fichier de paramètres « %1 » :\n%2.", path, reason));
        return;
    }
    applyParameterFile(reinterpret_cast<const std::uint8_t*>(content.constData()),
                       std::size_t(content.size()), referenceRecord, drive);
    ShowRecord();
    repaint();
}

namespace
{
// The one local .kv2 file a drag brings, or an empty string.
QString droppedParameterFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1) return QString();
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile()) return QString();
    const QString path = url.toLocalFile();
    return path.endsWith(QLatin1String(kParameterExtension), Qt::CaseInsensitive) ? path
                                                                                  : QString();
}
} // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedParameterFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString path = droppedParameterFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Not inside the drop itself: a message box there would hold up the
    // program the file came from.
    queueOpen(path);
}

void TForm1::queueOpen(const QString& path)
{
    QMetaObject::invokeMethod(
        this, [this, path] { guarded([this, path] { openParameterFile(path); }); },
        Qt::QueuedConnection);
}

void TForm1::ButtonSauvegarderClick()
{
    const QString chosen = m_dialogs->saveFileName(this, kFilter, QStringLiteral("kv2"));
    if (chosen.isEmpty()) return;
    const QString target = withExtension(chosen, kParameterExtension);
    // The dialog asked about the name it returned; a file under the forced
    // name is another one, and is not replaced without asking.
    if (target != chosen && QFileInfo::exists(target) && !m_dialogs->confirmReplace(this, target))
        return;
    saveFileName = target;

    const ParameterFileBytes bytes = serializeParameterFile(currentRecord, drive);
    QString reason;
    if (!m_files->writeAtomically(
            saveFileName,
            QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())), reason))
        showError(failure("Impossible d'enregistrer le fichier de paramètres « %1 » :\n%2.",
                          saveFileName, reason));
    ExportHex(); // whatever became of the parameter file
}

void TForm1::ExportHex()
{
    const QString hexName = withExtension(saveFileName, kHexExtension);
    const IntelHexText hex = exportHexText(currentRecord);
    QString reason;
    if (!m_files->writeAtomically(hexName, QByteArray::fromStdString(hex.text), reason)) {
        showError(
            failure("Impossible d'enregistrer le fichier HEX « %1 » :\n%2.", hexName, reason));
        return;
    }
    for (const std::string& line : hex.dataLines)
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}
