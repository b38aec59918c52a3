#pragma once
// Drives the real window headless: scripted dialogs in place of the modal
// ones, and helpers that type and click the way a user does.

#include "app/tform1.h"
#include "config/config_record.h"
#include "config/parameter_file.h"

#include <QCheckBox>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

// Answers the dialogs from queues and records every message box.
class FakeDialogs : public UserDialogs
{
public:
    QStringList openAnswers;    // each Open takes the first; empty = cancel
    QStringList saveAnswers;    // each Save takes the first; empty = cancel
    QList<bool> replaceAnswers; // each replace question takes the first; none = no
    QStringList errors;         // every critical message shown
    QStringList filters;        // the filter each file dialog was given
    int replaceQuestions = 0;
    // The close and open questions: each takes the first answer; none lets
    // the changes go and opens the file, as a window that did not ask.
    QList<korval::FormView::SaveChoice> saveChoices;
    QList<bool> openAnywayAnswers;
    QStringList questions; // every one asked, in its order

    QString openFileName(QWidget*, const QString& filter) override
    {
        filters << filter;
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString saveFileName(QWidget*, const QString& filter, const QString&) override
    {
        filters << filter;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QStringList proposedNames; // the name each save dialog proposed
    QString saveFileNameProposing(QWidget* parent, const QString& filter, const QString& suffix,
                                  const QString& proposed) override
    {
        proposedNames << proposed;
        return saveFileName(parent, filter, suffix);
    }
    QStringList notes; // every information note shown
    void showNote(QWidget*, const QString& message) override { notes << message; }
    std::vector<korval::FileComparison> comparisons; // every « Comparer… » dialog shown
    void showComparison(QWidget*, const korval::FileComparison& comparison) override
    {
        comparisons.push_back(comparison);
    }
    bool confirmReplace(QWidget*, const QString&) override
    {
        ++replaceQuestions;
        return !replaceAnswers.isEmpty() && replaceAnswers.takeFirst();
    }
    void showError(QWidget*, const QString& message) override { errors << message; }
    korval::FormView::SaveChoice askSaveChanges(QWidget*, const QString& question) override
    {
        questions << question;
        return saveChoices.isEmpty() ? korval::FormView::SaveChoice::Discard
                                     : saveChoices.takeFirst();
    }
    bool askOpenAnyway(QWidget*, const QString& question) override
    {
        questions << question;
        return openAnywayAnswers.isEmpty() || openAnywayAnswers.takeFirst();
    }
};

// A shown window, activated on the factory defaults, with its fake dialogs.
struct ShownForm {
    FakeDialogs* dialogs = nullptr; // owned by the form
    std::unique_ptr<TForm1> form;

    explicit ShownForm(std::unique_ptr<FileStore> files = nullptr)
    {
        auto fake = std::make_unique<FakeDialogs>();
        dialogs = fake.get();
        form = std::make_unique<TForm1>(std::move(fake), std::move(files));
        form->show();
    }
    TForm1* operator->() const { return form.get(); }
    const FormWidgets* ui() const { return form->form(); }

    template <typename T = QLineEdit> T* control(const char* name) const
    {
        T* widget = form->findChild<T*>(QLatin1String(name));
        if (!widget) qFatal("no control %s", name);
        return widget;
    }
    QString text(const char* name) const { return control(name)->text(); }
};

// Replaces a box's text by typing, one keystroke at a time, as a user does;
// an empty text is typed as a Backspace over the selected old text.
inline void typeInto(QLineEdit* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClicks(box, text);
}

// Reaches a box the way its user does: typed when it is shown, written from
// code (which runs its change handler) when it is hidden.
inline void enter(ShownForm& form, QLineEdit* box, const QString& text)
{
    if (box->isVisible())
        typeInto(box, text);
    else
        form->writeText(box, text);
}

// A mouse click on a shown half-step box, a programmatic click on a hidden
// one; either way the box's click handler runs.
inline void toggle(QCheckBox* box)
{
    if (box->isVisible())
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier,
                          QPoint(box->height() / 2, box->height() / 2));
    else
        box->click();
}

// A data column "row", one row a line of `table`, named after the line.
template <typename Table> void addRows(const Table& table)
{
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < table.size(); ++i)
        QTest::newRow(table[i].name) << int(i);
}

// The colour most of an image's pixels have: a control's background.
inline QRgb mostCommon(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), best = it.key();
    return best;
}

inline QByteArray bytesOf(const korval::ConfigRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(record.bytes().data()),
                      int(record.bytes().size()));
}

// The table the controller finds at 0x7C00 when nothing has been changed,
// written out by hand rather than taken from the code under test.
inline QByteArray factoryTable()
{
    return QByteArray::fromHex("45 23 B7 CE 0A 00 00 21 10 08 06 04 02 01 00 21"
                               "10 08 06 04 02 01 00 21 10 08 06 04 02 01 64 00"
                               "64 00 05 2D 00 00 86 93 9D A7 B3 A1 CD E0 F7 DE"
                               "BC");
}

inline korval::ConfigRecord factoryRecord()
{
    const QByteArray bytes = factoryTable();
    korval::ConfigRecord record;
    std::copy(bytes.begin(), bytes.end(), record.bytes().begin());
    return record;
}

inline QByteArray defaultRecordBytes()
{
    return bytesOf(korval::factoryDefaultRecord());
}

// The 61 bytes of the defaults' parameter file.
inline QByteArray defaultParameterFile()
{
    korval::ConfigRecord record;
    korval::DriveParameters drive;
    korval::loadFactoryDefaults(record, drive);
    const korval::ParameterFileBytes bytes = korval::serializeParameterFile(record, drive);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}
