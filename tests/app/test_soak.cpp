// Thousands of random actions through the real window, from a fixed generator
// state so that a failure replays: hostile texts in every box (hidden ones
// too), half-step clicks, searches, applies, Opens of odd files and Saves into
// failing places. No exception may escape, and every save that reports no
// failure wrote exactly the serialization of the current record.

#include "config/intel_hex.h"
#include "support/form_fixture.h"

#include <QRandomGenerator>
#include <QtTest>

#include <sys/stat.h>

using namespace korval;

namespace
{
constexpr int kSteps = 8000;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(content);
}

class Soak
{
public:
    Soak(ShownForm& form, const QString& root)
        : m_form(form), m_root(root), m_generator(20261209) // fixed generator state
    {
        const QList<QLineEdit*> boxes = form->findChildren<QLineEdit*>();
        for (QLineEdit* box : boxes)
            if (!box->isReadOnly()) m_boxes << box;
        m_halfSteps = form->findChildren<QCheckBox*>();
        QDir(root).mkpath("ok/blocked.kv2"); // a folder where the file should go
        QDir(root).mkpath("ok/hexblocked.hex");
        QDir(root).mkpath("ro");
        QDir(root).mkpath("in");
        QFile::setPermissions(m_root + "/ro", QFile::ReadOwner | QFile::ExeOwner);
        mkfifo(QFile::encodeName(root + "/in/pipe.kv2").constData(), 0644);
    }
    ~Soak()
    {
        QFile::setPermissions(m_root + "/ro",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    int saves = 0;
    int opens = 0;
    int applies = 0;

    void step()
    {
        const int action = int(m_generator.bounded(100));
        if (action < 55)
            enterText();
        else if (action < 68)
            toggle(m_halfSteps.at(int(m_generator.bounded(m_halfSteps.size()))));
        else if (action < 78)
            search();
        else if (action < 86)
            apply();
        else if (action < 94)
            open();
        else
            save();
        m_form.dialogs->errors.clear();
    }

private:
    QString hostileText()
    {
        static const QStringList fixed = {"",
                                          "-",
                                          "+",
                                          " ",
                                          "+-",
                                          "nan",
                                          "-nan",
                                          "inf",
                                          "-inf",
                                          "1e39",
                                          "-1e39",
                                          "1e-50",
                                          "1e99999",
                                          "0x1F",
                                          "٣",
                                          "３",
                                          "1٣",
                                          "12３",
                                          "\u00a01",
                                          "9999999999999999999",
                                          "-2147483649",
                                          "4294967296",
                                          "0",
                                          "1",
                                          "127",
                                          "128",
                                          "255",
                                          "256",
                                          "65535",
                                          "-1",
                                          "0.0000001",
                                          "3.54",
                                          "598.361816",
                                          "708279",
                                          "33",
                                          "1.5e",
                                          "e5",
                                          ".",
                                          "..5"};
        switch (m_generator.bounded(4)) {
        case 0:
            return fixed.at(int(m_generator.bounded(fixed.size())));
        case 1: { // a huge digit string, maybe signed, maybe with an exponent
            QString text = m_generator.bounded(2) ? "-" : "";
            const int length = 1 + int(m_generator.bounded(60));
            for (int i = 0; i < length; ++i)
                text += QChar('0' + int(m_generator.bounded(10)));
            if (m_generator.bounded(3) == 0)
                text += QStringLiteral("e%1").arg(int(m_generator.bounded(-400, 400)));
            return text.left(60);
        }
        case 2: { // 60 characters of anything printable, some beyond ASCII
            QString text;
            for (int i = 0; i < 60; ++i)
                text += m_generator.bounded(8) ? QChar(0x20 + int(m_generator.bounded(0x5F)))
                                               : QChar(0xA0 + int(m_generator.bounded(0x2000)));
            return text;
        }
        default: // a plausible value, so the record moves through real states
            return QString::number(int(m_generator.bounded(-300, 70000)));
        }
    }

    void enterText()
    {
        QLineEdit* box = m_boxes.at(int(m_generator.bounded(m_boxes.size())));
        const QString text = hostileText();
        // QTest types printable ASCII only; the rest is written as a paste would.
        const bool typable =
            std::all_of(text.begin(), text.end(), [](QChar c) { return c >= ' ' && c <= '~'; });
        if (box->isVisible() && typable && text.size() <= 12 && m_generator.bounded(4) == 0)
            typeInto(box, text);
        else
            m_form->writeText(box, text);
    }

    void search()
    {
        QLineEdit* period = m_form.control("EditPeriodeTimer");
        QTest::mouseClick(period, Qt::LeftButton, Qt::NoModifier, period->rect().center());
    }

    void apply()
    {
        QListWidget* list = m_form.ui()->ListBoxValeurTimer;
        if (!list->isVisible() || list->count() == 0) return search();
        const int row = int(m_generator.bounded(qMin(list->count(), 40)));
        list->setCurrentRow(row);
        list->scrollToItem(list->item(row));
        ++applies;
        if (m_generator.bounded(2))
            QTest::keyClick(list, Qt::Key_Return);
        else
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                               list->visualItemRect(list->item(row)).center());
    }

    QByteArray oddFile()
    {
        QByteArray file = defaultParameterFile();
        switch (m_generator.bounded(4)) {
        case 0: // short or long
            return file.leftJustified(int(m_generator.bounded(120)), char(m_generator.bounded(256)),
                                      true);
        case 1: // a few bytes changed
            for (int i = int(m_generator.bounded(1, 6)); i > 0; --i)
                file[int(m_generator.bounded(61))] = char(m_generator.bounded(256));
            return file;
        case 2: { // noise of any length
            QByteArray noise(int(m_generator.bounded(200)), '\0');
            for (char& c : noise)
                c = char(m_generator.bounded(256));
            return noise;
        }
        default:
            return file;
        }
    }

    void open()
    {
        QString path = m_root + "/in/f.kv2";
        switch (m_generator.bounded(8)) {
        case 0:
            path = m_root + "/in/pipe.kv2";
            break;
        case 1:
            path = m_root + "/in";
            break;
        case 2:
            path = m_root + "/gone/f.kv2";
            break;
        default:
            writeFile(path, oddFile());
        }
        ++opens;
        m_form.dialogs->openAnswers = {path};
        m_form.ui()->ButtonOuvrir->click();
    }

    void save()
    {
        static const QStringList places = {"ok/monture",   "ok/monture.kv2", "ro/monture",
                                           "gone/monture", "ok/blocked",     "ok/hexblocked"};
        const QString place = places.at(int(m_generator.bounded(places.size())));
        const QString base = m_root + "/" + place.section('.', 0, 0);
        m_form.dialogs->saveAnswers = {m_root + "/" + place};
        m_form.dialogs->replaceAnswers = {true};
        m_form.dialogs->errors.clear();
        m_form.ui()->ButtonSauvegarder->click();
        ++saves;

        bool kv2Failed = false;
        bool hexFailed = false;
        for (const QString& error : m_form.dialogs->errors) {
            kv2Failed |= error.contains("fichier de paramètres");
            hexFailed |= error.contains("fichier HEX");
        }
        const bool kv2Refused =
            place.startsWith("ro/") || place.startsWith("gone/") || place == "ok/blocked";
        const bool hexRefused =
            place.startsWith("ro/") || place.startsWith("gone/") || place == "ok/hexblocked";
        const QString shown = place + ": " + m_form.dialogs->errors.join(" / ");
        QVERIFY2(kv2Failed == kv2Refused, qPrintable(shown));
        QVERIFY2(hexFailed == hexRefused, qPrintable(shown));
        const ParameterFileBytes expected =
            serializeParameterFile(m_form->currentRecord, m_form->drive);
        if (!kv2Failed)
            QCOMPARE(readAll(base + ".kv2"),
                     QByteArray(reinterpret_cast<const char*>(expected.data()), 61));
        if (!hexFailed)
            QCOMPARE(readAll(base + ".hex"),
                     QByteArray::fromStdString(exportHexText(m_form->currentRecord).text));
    }

    ShownForm& m_form;
    QString m_root;
    QRandomGenerator m_generator;
    QList<QLineEdit*> m_boxes;
    QList<QCheckBox*> m_halfSteps;
};
} // namespace

class TestSoak : public QObject
{
    Q_OBJECT
private slots:
    void randomActionsThroughTheWindow()
    {
        QTemporaryDir dir;
        ShownForm form;
        Soak soak(form, dir.path());
        for (int step = 0; step < kSteps; ++step) {
            try {
                soak.step();
            } catch (const std::exception& error) {
                QFAIL(qPrintable(QStringLiteral("step %1: %2").arg(step).arg(error.what())));
            } catch (...) {
                QFAIL(qPrintable(QStringLiteral("step %1: an exception escaped").arg(step)));
            }
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("step %1 broke a property").arg(step)));
        }
        // Every kind of action really ran.
        qInfo("saves %d opens %d applies %d", soak.saves, soak.opens, soak.applies);
        QVERIFY(soak.saves > 200 && soak.opens > 200 && soak.applies > 100);
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
