// What "Ouvrir" and "Sauvegarder" ask of the platform: the file dialogs, the
// question before a replace, the files themselves through FileStore, the echo
// of the HEX lines; and the .kv2 files dropped on the window.

#include "app/tform1.h"
#include "app/user_dialogs.h"
#include "config/parameter_file.h"
#include "files/file_store.h"
#include "form/form_texts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <cstdio>

using namespace korval;

namespace
{
QString filters(const std::vector<FileFilter>& list)
{
    return QString::fromStdString(qtNameFilters(list));
}

// The name's suffix the save dialog adds, without its point.
QString savedSuffix()
{
    return QString::fromLatin1(kParameterExtension + 1);
}
} // namespace

std::string TForm1::chooseOpenName()
{
    return m_dialogs->openFileName(this, filters(openFileFilters())).toStdString();
}

std::string TForm1::chooseSaveName()
{
    return m_dialogs->saveFileName(this, filters(saveFileFilters()), savedSuffix()).toStdString();
}

std::string TForm1::chooseSaveNameProposing(const std::string& proposedName)
{
    return m_dialogs
        ->saveFileNameProposing(this, filters(saveFileFilters()), savedSuffix(),
                                QString::fromStdString(proposedName))
        .toStdString();
}

void TForm1::showNote(const std::string& message)
{
    m_dialogs->showNote(this, QString::fromStdString(message));
}

void TForm1::showComparison(const FileComparison& comparison)
{
    m_dialogs->showComparison(this, comparison);
}

bool TForm1::fileExists(const std::string& path)
{
    return m_files->exists(path);
}

bool TForm1::confirmReplace(const std::string& path)
{
    return m_dialogs->confirmReplace(this, QString::fromStdString(path));
}

bool TForm1::readFile(const std::string& path, std::size_t maxBytes,
                      std::vector<unsigned char>& bytes, std::string& reason)
{
    return m_files->read(path, maxBytes, bytes, reason);
}

bool TForm1::writeFile(const std::string& path, const std::vector<unsigned char>& bytes,
                       std::string& reason)
{
    return m_files->writeAtomically(path, bytes, reason);
}

void TForm1::hexWritten(const std::vector<std::string>& dataLines)
{
    for (const std::string& line : dataLines)
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

FormView::SaveChoice TForm1::askSaveChanges(const std::string& question)
{
    return m_dialogs->askSaveChanges(this, QString::fromStdString(question));
}

bool TForm1::askOpenAnyway(const std::string& question)
{
    return m_dialogs->askOpenAnyway(this, QString::fromStdString(question));
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool closing = false; // a fault keeps the window and its edits
    guarded([this, &closing] { closing = m_model->confirmClose(); });
    if (closing)
        QWidget::closeEvent(event);
    else
        event->ignore();
}

void TForm1::openParameterFile(const QString& path)
{
    run([this, &path] { m_model->openParameterFile(path.toStdString()); });
    repaint();
}

namespace
{
// The one local file a drag brings that the model opens, or an empty string.
QString droppedParameterFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1) return QString();
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile()) return QString();
    const QString path = url.toLocalFile();
    return FormModel::isOpenableName(path.toStdString()) ? path : QString();
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
        this, [this, path] { guarded([this, path] { m_model->openDropped(path.toStdString()); }); },
        Qt::QueuedConnection);
}
