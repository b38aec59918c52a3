#include "night_look.h"

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
// Where a widget keeps its own day style sheet while the night look has taken
// it away, and the night role the application's style sheet gives it instead.
const char* const kDaySheetProperty = "korvalDayStyleSheet";
const char* const kRoleProperty = "korvalNuit";
const char* const kSettingsKey = "apparence/nuit";

bool g_night = false;

// What the day look was before the first switch, put back as it was.
struct DayLook {
    bool saved = false;
    QPalette palette;
    QPalette toolTips;
    QFont font;
    QString styleSheet;
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
        painter.fillRect(QRect(at.left(), at.top(), 1, at.height()), nightRed(nightred::kText));
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
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_N || key->modifiers() != Qt::ControlModifier) return false;
        for (auto* w = qobject_cast<QWidget*>(watched); w; w = w->parentWidget())
            if (w == &m_window) {
                m_toggle();
                return true; // taken: the parents it would go on to do not see it again
            }
        return false;
    }

private:
    QWidget& m_window;
    std::function<void()> m_toggle;
};

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
    const auto set = [&palette](QPalette::ColorRole role, int level) {
        palette.setColor(role, nightRed(level));
    };
    using namespace nightred;
    set(QPalette::Window, kWindow);
    set(QPalette::WindowText, kText);
    set(QPalette::Base, kField);
    set(QPalette::AlternateBase, kField);
    set(QPalette::ToolTipBase, kField);
    set(QPalette::ToolTipText, kText);
    set(QPalette::PlaceholderText, kFrame);
    set(QPalette::Text, kText);
    set(QPalette::Button, kField);
    set(QPalette::ButtonText, kText);
    set(QPalette::BrightText, kText);
    set(QPalette::Light, kFrame);
    set(QPalette::Midlight, kFrame);
    set(QPalette::Mid, kFrame);
    set(QPalette::Dark, kFrame);
    set(QPalette::Shadow, kWindow);
    set(QPalette::Highlight, kHighlight);
    set(QPalette::HighlightedText, kWindow);
    set(QPalette::Link, kText);
    set(QPalette::LinkVisited, kFrame);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, nightRed(kFrame));
    palette.setColor(QPalette::Disabled, QPalette::Base, nightRed(kWindow));
    return palette;
}

QString nightStyleSheet()
{
    using namespace nightred;
    const auto red = [](int level) { return QStringLiteral("rgb(%1, 0, 0)").arg(level); };
    // Roles after states: a result display keeps its look although disabled.
    return QStringLiteral(
               "QToolTip { background-color: %2; color: %5; border: 1px solid %3; }"
               "QLineEdit, QPlainTextEdit, QAbstractItemView, QComboBox {"
               " background-color: %2; color: %5; border: 1px solid %3;"
               " selection-background-color: %6; selection-color: %1; }"
               "QLineEdit:focus, QPlainTextEdit:focus, QAbstractItemView:focus, QComboBox:focus"
               " { border-color: %5; }"
               "QLineEdit:read-only, QPlainTextEdit[readOnly=\"true\"] { background-color: %1; }"
               "QLineEdit:disabled, QComboBox:disabled { background-color: %1; color: %3;"
               " border-style: dotted; }"
               "QLineEdit[korvalNuit=\"affichage\"] { background-color: %1; color: %5;"
               " border: 1px solid %3; }"
               "QLineEdit[korvalNuit=\"affichage\"]:focus { border-color: %5; }"
               "QLineEdit[korvalNuit=\"periode\"] { border: 3px double %4; }"
               "QLineEdit[korvalNuit=\"periode\"]:focus { border-color: %5; }"
               "QAbstractItemView::item:selected { background-color: %6; color: %1; }"
               "QPushButton, QToolButton { background-color: %2; color: %5;"
               " border: 1px solid %3; padding: 2px 6px; }"
               "QPushButton:default { border-width: 2px; }"
               "QPushButton:focus, QToolButton:focus { border-color: %5; }"
               "QPushButton:pressed, QToolButton:pressed, QToolButton:checked"
               " { background-color: %1; border-color: %5; }"
               "QPushButton:disabled, QToolButton:disabled { color: %3; border-style: dotted; }"
               "QTabWidget::pane { border: 1px solid %3; }"
               "QTabBar::tab { background-color: %2; color: %5; border: 1px solid %3;"
               " padding: 3px 10px; }"
               "QTabBar::tab:selected { background-color: %1; border-color: %5; }"
               "QHeaderView::section { background-color: %2; color: %5; border: 1px solid %3;"
               " padding: 2px 4px; }"
               "QGroupBox { border: 1px solid %3; margin-top: 0.5em; }"
               "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px;"
               " background-color: %1; color: %5; }"
               "QSplitter::handle { background-color: %1; }"
               "QScrollBar { background-color: %1; border: 1px solid %3; }"
               "QScrollBar:vertical { width: 14px; } QScrollBar:horizontal { height: 14px; }"
               "QScrollBar::handle { background-color: %3; min-width: 20px; min-height: 20px; }"
               "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"
               "QMenu { background-color: %2; color: %5; border: 1px solid %3; }"
               "QMenu::item:selected { background-color: %6; color: %1; }")
        .arg(red(kWindow), red(kField), red(kFrame), red(kPeriod), red(kText), red(kHighlight));
}

// The window's own style sheets (the lime period field, the grey displays with
// yellow text) would win over the application's: by night they step aside for
// a role of the same meaning.
void setAsideDaySheets()
{
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        if (widget->styleSheet().isEmpty() || widget->property(kDaySheetProperty).isValid())
            continue;
        widget->setProperty(kDaySheetProperty, widget->styleSheet());
        const bool period = widget->objectName() == QLatin1String("EditPeriodeTimer");
        widget->setProperty(kRoleProperty,
                            period ? QStringLiteral("periode") : QStringLiteral("affichage"));
        widget->setStyleSheet(QString());
    }
}

void restoreDaySheets()
{
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        const QVariant day = widget->property(kDaySheetProperty);
        if (!day.isValid()) continue;
        widget->setProperty(kDaySheetProperty, QVariant());
        widget->setProperty(kRoleProperty, QVariant());
        widget->setStyleSheet(day.toString());
    }
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
        day.styleSheet = qApp->styleSheet();
    }
    g_night = night;
    if (night) {
        installNightStyle();
        static RedCaret* caret = nullptr;
        if (!caret) {
            caret = new RedCaret(qApp);
            qApp->installEventFilter(caret);
        }
        setAsideDaySheets();
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
        qApp->setStyleSheet(day.styleSheet);
        QApplication::setPalette(day.palette);
        QToolTip::setPalette(day.toolTips);
        QApplication::setFont(day.font);
        restoreDaySheets();
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
