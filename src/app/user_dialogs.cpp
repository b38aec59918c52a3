#include "user_dialogs.h"

#include "app/night_look.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

QString qtNameFilter(const QString& descriptionAndPattern)
{
    const int bar = descriptionAndPattern.indexOf(QLatin1Char('|'));
    if (bar < 0) return descriptionAndPattern;
    const QString description = descriptionAndPattern.left(bar);
    const QString pattern = descriptionAndPattern.mid(bar + 1);
    // Qt reads the patterns from the last parentheses of the description.
    if (description.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))) return description;
    return description + QLatin1String(" (") + pattern + QLatin1Char(')');
}

QString StandardDialogs::openFileName(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile); // a typed name is returned as it is
    dialog.setNameFilter(qtNameFilter(filter));
    prepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

QString StandardDialogs::saveFileName(QWidget* parent, const QString& filter,
                                      const QString& defaultSuffix)
{
    return saveFileNameProposing(parent, filter, defaultSuffix, QString());
}

QString StandardDialogs::saveFileNameProposing(QWidget* parent, const QString& filter,
                                               const QString& defaultSuffix,
                                               const QString& proposed)
{
    QFileDialog dialog(parent);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(qtNameFilter(filter));
    // With the suffix the dialog sees the final name, and asks before replacing it.
    dialog.setDefaultSuffix(defaultSuffix);
    prepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

bool StandardDialogs::confirmReplace(QWidget* parent, const QString& path)
{
    const QString text =
        QCoreApplication::translate("UserDialogs",
                                    "Le fichier « %1 » existe déjà.\nVoulez-vous le remplacer ?")
            .arg(QDir::toNativeSeparators(path));
    return QMessageBox::question(parent, QCoreApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void StandardDialogs::showError(QWidget* parent, const QString& message)
{
    QMessageBox::critical(parent, QCoreApplication::applicationName(), message);
}

korval::FormView::SaveChoice StandardDialogs::askSaveChanges(QWidget* parent,
                                                             const QString& question)
{
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), question,
                    QMessageBox::NoButton, parent);
    QPushButton* save = box.addButton(QStringLiteral("Enregistrer"), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(QStringLiteral("Ne pas enregistrer"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) return korval::FormView::SaveChoice::Save;
    if (box.clickedButton() == discard) return korval::FormView::SaveChoice::Discard;
    return korval::FormView::SaveChoice::Cancel;
}

bool StandardDialogs::askOpenAnyway(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), question,
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void StandardDialogs::showNote(QWidget* parent, const QString& message)
{
    QMessageBox::information(parent, QCoreApplication::applicationName(), message);
}

QDialog* makeComparisonDialog(QWidget* parent, const korval::FileComparison& comparison)
{
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("DialogueComparer"));
    dialog->setWindowTitle(QStringLiteral("Comparer"));
    auto* layout = new QVBoxLayout(dialog);
    auto* heading = new QLabel(QString::fromStdString(comparison.heading), dialog);
    heading->setWordWrap(true);
    layout->addWidget(heading);
    QStringList lines;
    for (const std::string& line : comparison.lines)
        lines << QString::fromStdString(line);
    auto* list = new QPlainTextEdit(lines.join(QLatin1Char('\n')), dialog);
    list->setObjectName(QStringLiteral("ListeDifferences"));
    list->setReadOnly(true);
    list->setAccessibleName(QStringLiteral("Champs qui diffèrent"));
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fermer"));
    QPushButton* copy = buttons->addButton(QStringLiteral("Copier"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("ButtonCopier"));
    const QString text = QString::fromStdString(comparison.text());
    const auto copyAll = [text] { QApplication::clipboard()->setText(text); };
    QObject::connect(copy, &QPushButton::clicked, dialog, copyAll);
    // Ctrl+C copies the whole list, whatever is selected in it.
    auto* shortcut = new QShortcut(QKeySequence::Copy, dialog);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, dialog, copyAll);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog->resize(460, 260);
    return dialog;
}

void StandardDialogs::showComparison(QWidget* parent, const korval::FileComparison& comparison)
{
    QDialog* dialog = makeComparisonDialog(parent, comparison);
    dialog->exec();
    delete dialog;
}
