#include "user_dialogs.h"

#include "app/night_look.h"
#include "form/form_texts.h"

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

#include <algorithm>
#include <vector>

namespace
{
QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// A question with the model's buttons, the first the default one, the last
// the one Esc answers; the button clicked, or -1.
struct Answer {
    const char* caption;
    QMessageBox::ButtonRole role;
};
int ask(QWidget* parent, QMessageBox::Icon icon, const QString& question,
        const std::vector<Answer>& answers, int defaultAnswer)
{
    QMessageBox box(icon, QCoreApplication::applicationName(), question, QMessageBox::NoButton,
                    parent);
    std::vector<QPushButton*> buttons;
    for (const Answer& answer : answers)
        buttons.push_back(box.addButton(text(answer.caption), answer.role));
    box.setDefaultButton(buttons.at(std::size_t(defaultAnswer)));
    box.setEscapeButton(buttons.back());
    box.exec();
    const auto clicked = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return clicked == buttons.end() ? -1 : int(clicked - buttons.begin());
}
} // namespace

QString StandardDialogs::openFileName(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile); // a typed name is returned as it is
    dialog.setNameFilter(filter);
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
    dialog.setNameFilter(filter);
    // With the suffix the dialog sees the final name, and asks before replacing it.
    dialog.setDefaultSuffix(defaultSuffix);
    prepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

bool StandardDialogs::confirmReplace(QWidget* parent, const QString& path)
{
    const korval::QuestionButtons& buttons = korval::questionButtons();
    const QString question = QString::fromStdString(
        korval::replaceQuestion(QDir::toNativeSeparators(path).toStdString()));
    return ask(parent, QMessageBox::Question, question,
               {{buttons.yes, QMessageBox::YesRole}, {buttons.no, QMessageBox::NoRole}}, 1) == 0;
}

void StandardDialogs::showError(QWidget* parent, const QString& message)
{
    QMessageBox::critical(parent, QCoreApplication::applicationName(), message);
}

korval::FormView::SaveChoice StandardDialogs::askSaveChanges(QWidget* parent,
                                                             const QString& question)
{
    const korval::QuestionButtons& buttons = korval::questionButtons();
    switch (ask(parent, QMessageBox::Question, question,
                {{buttons.save, QMessageBox::AcceptRole},
                 {buttons.discard, QMessageBox::DestructiveRole},
                 {buttons.cancel, QMessageBox::RejectRole}},
                0)) {
    case 0:
        return korval::FormView::SaveChoice::Save;
    case 1:
        return korval::FormView::SaveChoice::Discard;
    default:
        return korval::FormView::SaveChoice::Cancel;
    }
}

bool StandardDialogs::askOpenAnyway(QWidget* parent, const QString& question)
{
    const korval::QuestionButtons& buttons = korval::questionButtons();
    return ask(parent, QMessageBox::Warning, question,
               {{buttons.yes, QMessageBox::YesRole}, {buttons.no, QMessageBox::NoRole}}, 1) == 0;
}

void StandardDialogs::showNote(QWidget* parent, const QString& message)
{
    QMessageBox::information(parent, QCoreApplication::applicationName(), message);
}

QDialog* makeComparisonDialog(QWidget* parent, const korval::FileComparison& comparison)
{
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("DialogueComparer"));
    const korval::ComparisonTexts& words = korval::comparisonTexts();
    dialog->setWindowTitle(text(words.title));
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
    list->setAccessibleName(text(words.listName));
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    buttons->button(QDialogButtonBox::Close)->setText(text(words.close));
    QString copyCaption = text(words.copy);
    copyCaption.insert(copyCaption.indexOf(QLatin1Char(words.copyMnemonic)), QLatin1Char('&'));
    QPushButton* copy = buttons->addButton(copyCaption, QDialogButtonBox::ActionRole);
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
