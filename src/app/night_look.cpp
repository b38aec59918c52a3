#include "night_look.h"

#include "form/list_keys.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QHash>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QSettings>
#include <QStyleFactory>
#include <QToolTip>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace
{
using korval::ColourRole;

const char* const kSettingsKey = "apparence/nuit";

bool g_night = false;

// What the day look was before the first switch, put back as it was.
struct DayLook {
    bool saved = false;
    QPalette palette;
    QPalette toolTips;
    QFont font;
};

DayLook& dayLook()
{
    static DayLook look;
    return look;
}

// Keeps each pixel's brightest channel, in red: shapes stay, colours go.
QImage reddened(const QImage& source)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            line[x] =
                qRgba(std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}), 0, 0, qAlpha(pixel));
        }
    }
    return image;
}

QIcon reddened(const QIcon& icon)
{
    if (icon.isNull()) return icon;
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty()) sizes = {QSize(16, 16), QSize(32, 32), QSize(64, 64)};
    QIcon red;
    for (const QSize& size : sizes)
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
            const QPixmap pixmap = icon.pixmap(size, mode);
            if (!pixmap.isNull())
                red.addPixmap(QPixmap::fromImage(reddened(pixmap.toImage())), mode);
        }
    return red;
}

// The application's own style, with its icons in red by night (the message
// boxes' symbols, the file dialog's buttons); by day it draws as its base.
class NightStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override
    {
        const QIcon icon = QProxyStyle::standardIcon(which, option, widget);
        return g_night ? reddened(icon) : icon;
    }
    QPixmap standardPixmap(StandardPixmap which, const QStyleOption* option,
                           const QWidget* widget) const override
    {
        const QPixmap pixmap = QProxyStyle::standardPixmap(which, option, widget);
        return g_night && !pixmap.isNull() ? QPixmap::fromImage(reddened(pixmap.toImage()))
                                           : pixmap;
    }
    QPixmap generatedIconPixmap(QIcon::Mode mode, const QPixmap& pixmap,
                                const QStyleOption* option) const override
    {
        const QPixmap generated = QProxyStyle::generatedIconPixmap(mode, pixmap, option);
        return g_night && !generated.isNull() ? QPixmap::fromImage(reddened(generated.toImage()))
                                              : generated;
    }
    // Qt draws the text cursor by inverting what is under it, which turns dark
    // red into light cyan: by night the boxes leave it out and the caret
    // painter below draws it in red.
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        if (g_night && metric == PM_TextCursorWidth) return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// Paints each typeable box as usual, then its caret in red, steady.
class RedCaret : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (!g_night || !box || event->type() != QEvent::Paint || !box->hasFocus() ||
            box->isReadOnly() || m_painting)
            return false;
        m_painting = true;
        static_cast<QObject*>(box)->event(event); // the box's own painting
        m_painting = false;
        const QRect at = box->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        QPainter painter(box);
        painter.fillRect(QRect(at.left(), at.top(), 1, at.height()),
                         lookColour(ColourRole::Text, true));
        return true;
    }

private:
    bool m_painting = false;
};

// The file dialog's icons (folders, files, places) in red, each made once.
class NightIconProvider : public QFileIconProvider
{
public:
    QIcon icon(IconType type) const override { return cached(QFileIconProvider::icon(type)); }
    QIcon icon(const QFileInfo& info) const override
    {
        return cached(QFileIconProvider::icon(info));
    }

private:
    QIcon cached(const QIcon& icon) const
    {
        auto found = m_red.constFind(icon.cacheKey());
        if (found == m_red.constEnd()) found = m_red.insert(icon.cacheKey(), reddened(icon));
        return *found;
    }
    mutable QHash<qint64, QIcon> m_red;
};

// Qt's key event as the night key rule names it.
korval::NightKeyPress nightKeyPress(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    const bool letter =
        key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z && !modifiers.testFlag(Qt::MetaModifier);
    return {letter ? char('A' + (key.key() - Qt::Key_A)) : '\0',
            modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::AltModifier),
            modifiers.testFlag(Qt::ShiftModifier), key.isAutoRepeat()};
}

class NightKey : public QObject
{
public:
    NightKey(QWidget& window, std::function<void()> toggle)
        : QObject(&window), m_window(window), m_toggle(std::move(toggle))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        korval::NightKeyPress press = nightKeyPress(*key);
        const bool switches = korval::nightKeySwitches(press);
        press.repeated = false;
        if (!korval::nightKeySwitches(press) || !inWindow(watched)) return false;
        // Taken before the shortcuts: Alt+N would click « Nuit » again on
        // every repeat of a held key.
        key->accept();
        if (event->type() == QEvent::KeyPress && switches) m_toggle();
        return true; // the parents it would go on to do not see it again
    }

private:
    bool inWindow(QObject* watched) const
    {
        for (auto* w = qobject_cast<QWidget*>(watched); w; w = w->parentWidget())
            if (w == &m_window) return true;
        return false;
    }

    QWidget& m_window;
    std::function<void()> m_toggle;
};

// Before any style sheet of the application: a sheet wraps the style in one
// whose name the style factory does not know. Only the night needs it, and
// there is no sheet by day: it waits for the first switch.
void installNightStyle()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    if (QStyle* base = QStyleFactory::create(QApplication::style()->name()))
        QApplication::setStyle(new NightStyle(base));
}

QPalette nightPalette()
{
    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, ColourRole scheme) {
        palette.setColor(role, lookColour(scheme, true));
    };
    set(QPalette::Window, ColourRole::Window);
    set(QPalette::WindowText, ColourRole::Text);
    set(QPalette::Base, ColourRole::Field);
    set(QPalette::AlternateBase, ColourRole::Field);
    set(QPalette::ToolTipBase, ColourRole::Field);
    set(QPalette::ToolTipText, ColourRole::Text);
    set(QPalette::PlaceholderText, ColourRole::Disabled);
    set(QPalette::Text, ColourRole::Text);
    set(QPalette::Button, ColourRole::Field);
    set(QPalette::ButtonText, ColourRole::Text);
    set(QPalette::BrightText, ColourRole::Text);
    for (QPalette::ColorRole edge :
         {QPalette::Light, QPalette::Midlight, QPalette::Mid, QPalette::Dark})
        set(edge, ColourRole::Frame);
    set(QPalette::Shadow, ColourRole::Window);
    set(QPalette::Highlight, ColourRole::Selection);
    set(QPalette::HighlightedText, ColourRole::SelectedText);
    set(QPalette::Link, ColourRole::Text);
    set(QPalette::LinkVisited, ColourRole::Frame);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, lookColour(ColourRole::Disabled, true));
    palette.setColor(QPalette::Disabled, QPalette::Base,
                     lookColour(ColourRole::ReadOnlyField, true));
    return palette;
}

// The application's style sheet by night, made from the scheme. It colours
// every widget, the roles after the states, so that a result display keeps
// its look although disabled. By day there is none (colourLookRole).
QString nightStyleSheet()
{
    // Each %N is a role of the scheme, by night.
    const auto sheet = [](QString text, std::initializer_list<ColourRole> roles) {
        for (ColourRole role : roles)
            text = text.arg(lookColour(role, true).name());
        return text;
    };
    const auto role = [](korval::ControlLook look) {
        return QStringLiteral("QLineEdit[%1=\"%2\"]")
            .arg(QLatin1String(kLookProperty), QLatin1String(lookRoleName(look)));
    };
    const QString display = role(korval::ControlLook::ResultDisplay);
    const QString period = role(korval::ControlLook::PeriodField);
    const QString roles =
        sheet(display + QStringLiteral(" { background-color: %1; color: %2; }") + period +
                  QStringLiteral(" { background-color: %3; color: %4; }"),
              {ColourRole::ResultDisplay, ColourRole::ResultText, ColourRole::PeriodField,
               ColourRole::PeriodText});

    // %1 window, %2 field, %3 read-only field, %4 frame, %5 text, %6 disabled,
    // %7 selection, %8 selected text, %9 focus.
    const QString widgets = sheet(
        QStringLiteral(
            "QToolTip { background-color: %2; color: %5; border: 1px solid %4; }"
            "QLineEdit, QPlainTextEdit, QAbstractItemView, QComboBox {"
            " background-color: %2; color: %5; border: 1px solid %4;"
            " selection-background-color: %7; selection-color: %8; }"
            "QLineEdit:focus, QPlainTextEdit:focus, QAbstractItemView:focus, QComboBox:focus"
            " { border-color: %9; }"
            "QLineEdit:read-only, QPlainTextEdit[readOnly=\"true\"] { background-color: %3; }"
            "QLineEdit:disabled, QComboBox:disabled { background-color: %3; color: %6;"
            " border-style: dotted; }"
            "QAbstractItemView::item:selected { background-color: %7; color: %8; }"
            "QPushButton, QToolButton { background-color: %2; color: %5;"
            " border: 1px solid %4; padding: 2px 6px; }"
            "QPushButton:default { border-width: 2px; }"
            "QPushButton:focus, QToolButton:focus { border-color: %9; }"
            "QPushButton:pressed, QToolButton:pressed, QToolButton:checked"
            " { background-color: %1; border-color: %5; }"
            "QPushButton:disabled, QToolButton:disabled { color: %6; border-style: dotted; }"
            "QTabWidget::pane { border: 1px solid %4; }"
            "QTabBar::tab { background-color: %2; color: %5; border: 1px solid %4;"
            " padding: 3px 10px; }"
            "QTabBar::tab:selected { background-color: %1; border-color: %5; }"
            "QHeaderView::section { background-color: %2; color: %5; border: 1px solid %4;"
            " padding: 2px 4px; }"
            "QGroupBox { border: 1px solid %4; margin-top: 0.5em; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px;"
            " background-color: %1; color: %5; }"
            "QSplitter::handle { background-color: %1; }"
            "QScrollBar { background-color: %1; border: 1px solid %4; }"
            "QScrollBar:vertical { width: 14px; } QScrollBar:horizontal { height: 14px; }"
            "QScrollBar::handle { background-color: %4; min-width: 20px; min-height: 20px; }"
            "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; }"
            "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"
            "QMenu { background-color: %2; color: %5; border: 1px solid %4; }"
            "QMenu::item:selected { background-color: %7; color: %8; }"),
        {ColourRole::Window, ColourRole::Field, ColourRole::ReadOnlyField, ColourRole::Frame,
         ColourRole::Text, ColourRole::Disabled, ColourRole::Selection, ColourRole::SelectedText,
         ColourRole::Focus});
    // The roles after the states; by night the period field is told apart by
    // its double frame.
    const QString periodFrame = QString::number(korval::kPeriodFrameWidthNight);
    const QString frames =
        sheet(display + QStringLiteral(" { border: 1px solid %1; }") + display +
                  QStringLiteral(":focus { border-color: %2; }") + period +
                  QStringLiteral(" { border: ") + periodFrame + QStringLiteral("px double %3; }") +
                  period + QStringLiteral(":focus { border-color: %2; }"),
              {ColourRole::Frame, ColourRole::Focus, ColourRole::PeriodFrame});
    return widgets + roles + frames;
}
} // namespace

void setNightLook(bool night)
{
    if (night == g_night) return;
    DayLook& day = dayLook();
    if (!day.saved) {
        day.saved = true;
        day.palette = QApplication::palette();
        day.toolTips = QToolTip::palette();
        day.font = QApplication::font();
    }
    g_night = night;
    if (night) {
        installNightStyle();
        static RedCaret* caret = nullptr;
        if (!caret) {
            caret = new RedCaret(qApp);
            qApp->installEventFilter(caret);
        }
        QApplication::setPalette(nightPalette());
        QToolTip::setPalette(nightPalette());
        // Grey-level smoothing: colour fringes at the letters' edges would
        // put green and blue on the screen.
        QFont font = day.font;
        font.setStyleStrategy(
            QFont::StyleStrategy(font.styleStrategy() | QFont::NoSubpixelAntialias));
        QApplication::setFont(font);
        qApp->setStyleSheet(nightStyleSheet());
    } else {
        qApp->setStyleSheet(QString()); // the roles' own palettes show again
        QApplication::setPalette(day.palette);
        QToolTip::setPalette(day.toolTips);
        QApplication::setFont(day.font);
    }
    // Not every widget takes the application's new font and palette on its
    // own (the boxes the night style sheet had coloured, the labels' font
    // smoothing): each resolves them again, and repaints, which the frames
    // drawn by hand (the stored-value marks) need to read the look.
    QEvent fontChange(QEvent::ApplicationFontChange);
    QEvent paletteChange(QEvent::ApplicationPaletteChange);
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        QApplication::sendEvent(widget, &fontChange);
        QApplication::sendEvent(widget, &paletteChange);
        widget->update();
    }
}

QColor lookColour(ColourRole role, bool night)
{
    const korval::Rgb rgb = korval::schemeColour(role, night);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

const char* lookRoleName(korval::ControlLook look)
{
    switch (look) {
    case korval::ControlLook::Plain:
        return nullptr;
    case korval::ControlLook::PeriodField:
        return "periode";
    case korval::ControlLook::ResultDisplay:
        return "resultat";
    case korval::ControlLook::ColumnHead:
        return "entete";
    }
    return nullptr;
}

void colourLookRole(QWidget& widget, korval::ControlLook look)
{
    ColourRole field;
    ColourRole text;
    switch (look) {
    case korval::ControlLook::ResultDisplay:
        field = ColourRole::ResultDisplay;
        text = ColourRole::ResultText;
        break;
    case korval::ControlLook::PeriodField:
        field = ColourRole::PeriodField;
        text = ColourRole::PeriodText;
        break;
    default:
        return;
    }
    // Every state alike: a result display keeps its look although disabled.
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Base, lookColour(field, false));
    palette.setColor(QPalette::Text, lookColour(text, false));
    widget.setPalette(palette);
}

void useLookStyleSheet()
{
    // By day no sheet at all: one on the application would restyle every
    // widget, at its creation and its polish, for the two roles' colours.
    const QString sheet = g_night ? nightStyleSheet() : QString();
    if (qApp->styleSheet() != sheet) qApp->setStyleSheet(sheet);
}

void installNightKey(QWidget& window, std::function<void()> toggle)
{
    qApp->installEventFilter(new NightKey(window, std::move(toggle)));
}

bool nightLookOn()
{
    return g_night;
}

bool rememberedNightLook()
{
    return QSettings(QStringLiteral("korvalset24"), QStringLiteral("korvalset24"))
        .value(QLatin1String(kSettingsKey), false)
        .toBool();
}

void rememberNightLook(bool night)
{
    QSettings(QStringLiteral("korvalset24"), QStringLiteral("korvalset24"))
        .setValue(QLatin1String(kSettingsKey), night);
}

void prepareFileDialog(QFileDialog& dialog)
{
    if (!g_night) return;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setSizeGripEnabled(false); // its ridges are drawn in grey
    static NightIconProvider redIcons;
    dialog.setIconProvider(&redIcons);
}
