// The window as built from the form's table: every control and tool button
// read back from the widgets (parent, place, size, caption, state, look, tab
// walk); « PWM0 » reading the same by night as by day, where « PWM1 » lies
// under the group box; a held night key switching once.

#include "app/night_look.h"
#include "form/colour_scheme.h"
#include "form/form_controls.h"
#include "support/form_fixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace korval;

namespace
{
// A place of the table in the window's pixels: the window scales the layout
// for its font, by the factor its own width shows (a pixel of rounding).
struct Scaled {
    double scale;
    int operator()(int v) const { return int(std::lround(v * scale)); }
};

Scaled scaleOf(const TForm1& form)
{
    return {double(form.width()) / kFormWidth};
}

QString placeText(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Where `widget` is against the table's `place`, a pixel either way; a label
// as wide and high as its text, or more. Empty when it is there.
QString misplaced(const QWidget* widget, const ControlGeometry& place, const Scaled& scaled,
                  bool fitsText = false)
{
    const QRect at = widget->geometry();
    const QRect expected(scaled(place.x), scaled(place.y), scaled(place.width),
                         scaled(place.height));
    const auto near = [](int actual, int wanted) { return std::abs(actual - wanted) <= 1; };
    const bool there =
        near(at.x(), expected.x()) && near(at.y(), expected.y()) &&
        (fitsText ? at.width() >= expected.width() - 1 : near(at.width(), expected.width())) &&
        (fitsText ? at.height() >= expected.height() - 1 : near(at.height(), expected.height()));
    return there ? QString() : placeText(at) + QStringLiteral(" for ") + placeText(expected);
}

// The colour inside a box's frame, right of any text.
QRgb fieldColour(QWidget* box)
{
    const QImage image = box->grab().toImage();
    return image.pixel(image.width() - 4, image.height() - 5);
}

QRgb rgbOf(ColourRole role)
{
    const Rgb c = dayColour(role);
    return qRgb(c.red, c.green, c.blue);
}

// How far each pixel of `image` stands from its background (its most common
// colour), as a share of the widest contrast in it: 0 for the background, 1
// for full ink, between for the smoothed edges; the shape, whatever the colours.
QList<double> inkLevels(const QImage& image)
{
    const QRgb background = mostCommon(image);
    const auto distance = [background](QRgb p) {
        return std::max({std::abs(qRed(p) - qRed(background)),
                         std::abs(qGreen(p) - qGreen(background)),
                         std::abs(qBlue(p) - qBlue(background))});
    };
    int widest = 1;
    QList<double> levels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            widest = std::max(widest, distance(image.pixel(x, y)));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            levels << double(distance(image.pixel(x, y))) / widest;
    return levels;
}

// « PWM0 » (Label41, in the group box « PWM ») as the window shows it: in its
// place lies « PWM1 » (Label39), under the group box.
QImage pwm0Corner(ShownForm& form)
{
    QWidget* label = form.control<QWidget>("Label41");
    const QRect at(label->mapTo(form.form.get(), QPoint(0, 0)), label->size());
    return form->grab(at).toImage().convertToFormat(QImage::Format_RGB32);
}

// « PWM0 » drawn alone.
QImage pwm0Alone(ShownForm& form)
{
    return form.control<QWidget>("Label41")->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The pixels where two shapes differ by more than the smoothing of an edge.
QString shapesDiffer(const QList<double>& a, const QList<double>& b)
{
    if (a.size() != b.size()) return QStringLiteral("sizes differ");
    QStringList differ;
    for (int i = 0; i < a.size(); ++i)
        if (std::abs(a[i] - b[i]) > 0.25) differ << QString::number(i);
    return differ.join(QLatin1Char(' '));
}
} // namespace

class TestFormBuilder : public QObject
{
    Q_OBJECT
    QTemporaryDir m_settings;
    // Built, not shown: the controls as the table leaves them, before the
    // activation writes the defaults.
    std::unique_ptr<TForm1> m_built;

private slots:
    void initTestCase()
    {
        // The night key remembers the look: in a folder of the test's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        m_built = std::make_unique<TForm1>(std::make_unique<FakeDialogs>());
    }
    void cleanup() { setNightLook(false); }

    void controlsAsTheTableSays_data() { addRows(formControls()); }
    void controlsAsTheTableSays()
    {
        QFETCH(int, row);
        const ControlInfo& info = formControls()[std::size_t(row)];
        QWidget* widget = m_built->form()->widget(info.name);
        QVERIFY(widget);
        QCOMPARE(widget->objectName(), QString::fromUtf8(info.name));
        QCOMPARE(widget->parentWidget()->objectName(),
                 QString::fromUtf8(*info.parent ? info.parent : "Form1"));

        QCOMPARE(
            misplaced(widget, info.geometry, scaleOf(*m_built), info.kind == ControlKind::Label),
            QString());

        const QString text = QString::fromUtf8(info.text);
        switch (info.kind) {
        case ControlKind::Label:
            QCOMPARE(qobject_cast<QLabel*>(widget)->text(), text);
            QCOMPARE(qobject_cast<QLabel*>(widget)->textFormat(), Qt::PlainText);
            break;
        case ControlKind::GroupBox:
            QCOMPARE(qobject_cast<QGroupBox*>(widget)->title(), text);
            break;
        case ControlKind::Edit:
            QCOMPARE(qobject_cast<QLineEdit*>(widget)->text(), text);
            break;
        case ControlKind::CheckBox:
            QCOMPARE(qobject_cast<QCheckBox*>(widget)->isChecked(), info.checked);
            break;
        case ControlKind::Button:
            QCOMPARE(qobject_cast<QPushButton*>(widget)->text(), text);
            break;
        case ControlKind::List:
            QVERIFY(qobject_cast<QListWidget*>(widget));
            break;
        }
        QCOMPARE(!widget->isHidden(), info.visible);
        QCOMPARE(widget->isEnabled(), info.enabled);

        // The look: its role, and what the day look makes of it.
        const QVariant role = widget->property(kLookProperty);
        QCOMPARE(role.isValid(), info.look != ControlLook::Plain);
        if (role.isValid()) QCOMPARE(role.toString(), QLatin1String(lookRoleName(info.look)));
        QCOMPARE(widget->font().bold(), info.look == ControlLook::ColumnHead);
        if (info.kind == ControlKind::Edit) {
            const QRgb colour = fieldColour(widget);
            QCOMPARE(colour == rgbOf(ColourRole::ResultDisplay),
                     info.look == ControlLook::ResultDisplay);
            QCOMPARE(colour == rgbOf(ColourRole::PeriodField),
                     info.look == ControlLook::PeriodField);
        }
    }

    void toolButtonsAsTheTableSays_data() { addRows(toolButtons()); }
    void toolButtonsAsTheTableSays()
    {
        QFETCH(int, row);
        const ToolButtonInfo& info = toolButtons()[std::size_t(row)];
        auto* button = qobject_cast<QToolButton*>(m_built->form()->widget(info.name));
        QVERIFY(button);
        QCOMPARE(button->parentWidget(), m_built.get());
        QCOMPARE(misplaced(button, info.place, scaleOf(*m_built)), QString());
        QCOMPARE(button->text(), QString::fromStdString(mnemonicCaption(info)));
        QCOMPARE(button->shortcut(),
                 QKeySequence(QStringLiteral("Alt+") + QLatin1Char(info.mnemonic)));
        QCOMPARE(button->focusPolicy() != Qt::NoFocus, info.tabStop);
        QCOMPARE(button->isCheckable(), info.checkable);
        QVERIFY(!button->isHidden());
    }

    // The tab walk is the table's order, group boxes' controls in their place;
    // the tool buttons that are tab stops come last.
    void tabWalkIsTheTablesOrder()
    {
        QStringList expected;
        for (const ControlInfo& info : formControls())
            if (info.kind != ControlKind::Label && info.kind != ControlKind::GroupBox)
                expected << QString::fromUtf8(info.name);
        for (const ToolButtonInfo& info : toolButtons())
            if (info.tabStop) expected << QString::fromUtf8(info.name);
        QStringList walk;
        for (QWidget* w = m_built->nextInFocusChain(); w != m_built.get();
             w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus &&
                m_built->form()->widget(w->objectName().toStdString()) == w)
                walk << w->objectName();
        QCOMPARE(walk, expected);
    }

    // The group box « PWM » covers « PWM1 », by day as by night: « PWM0 »
    // reads as if drawn alone, the same shape in red.
    void pwm0ReadsTheSameByNight()
    {
        ShownForm form;
        const QList<double> day = inkLevels(pwm0Corner(form));
        QVERIFY(std::count_if(day.begin(), day.end(), [](double ink) { return ink > 0.5; }) >
                20); // the caption is there
        QCOMPARE(shapesDiffer(day, inkLevels(pwm0Alone(form))), QString());
        form->showNightLook(true);
        const QList<double> night = inkLevels(pwm0Corner(form));
        QCOMPARE(shapesDiffer(night, day), QString());
    }

    // The system repeats a key held down: Ctrl+N or Alt+N switches once.
    void heldNightKeySwitchesOnce_data()
    {
        QTest::addColumn<int>("modifier");
        QTest::newRow("Ctrl+N") << int(Qt::ControlModifier);
        QTest::newRow("Alt+N, the button's mnemonic") << int(Qt::AltModifier);
    }
    void heldNightKeySwitchesOnce()
    {
        QFETCH(int, modifier);
        ShownForm form;
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.form.get()));
        QLineEdit* box = form.ui()->EditJeuAD;
        box->setFocus();
        const QString before = box->text();
        QSignalSpy switches(form.ui()->ButtonNuit, &QToolButton::toggled);
        const auto press = [&](bool repeated) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_N, Qt::KeyboardModifiers(modifier),
                          QStringLiteral("n"), repeated);
            QApplication::sendEvent(box, &key);
        };
        press(false);
        for (int i = 0; i < 5; ++i)
            press(true);
        QCOMPARE(switches.size(), 1);
        QVERIFY(nightLookOn());
        QCOMPARE(box->text(), before); // nothing typed
        press(false);                  // pressed again
        QCOMPARE(switches.size(), 2);
        QVERIFY(!nightLookOn());
    }
};

QTEST_MAIN(TestFormBuilder)
#include "test_form_builder.moc"
