#include "stored_value_mark.h"

#include "app/accessibility.h"
#include "app/box_text.h"
#include "config/config_record.h"
#include "config/fp_fault.h"
#include "config/number_text.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QWidget>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

using namespace korval;

namespace
{
bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The number's own characters in `s` up to `end`, without the blanks before it.
QString numberText(const std::string& s, std::size_t end)
{
    std::size_t at = 0;
    while (at < end && isSpace(s[at]))
        ++at;
    return QString::fromStdString(s.substr(at, end - at));
}

// The integer on screen, read over the whole text with the handlers' rules,
// so that digits past the 19 characters a handler reads still count.
struct TypedInteger {
    QString text;
    bool negative = false;
    std::uint64_t magnitude = 0;
    bool huge = false; // beyond 64 bits
};

std::optional<TypedInteger> typedInteger(const QString& boxText)
{
    const std::string s = boxText.toStdString();
    std::size_t end = 0;
    if (!scanIntPrefix(s, end)) return std::nullopt;
    TypedInteger typed;
    typed.text = numberText(s, end);
    std::size_t at = 0;
    while (isSpace(s[at]))
        ++at;
    if (s[at] == '+' || s[at] == '-') typed.negative = s[at++] == '-';
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (; at < end; ++at) {
        const auto digit = std::uint64_t(s[at] - '0');
        if (typed.magnitude > (kMax - digit) / 10)
            typed.huge = true;
        else if (!typed.huge)
            typed.magnitude = typed.magnitude * 10 + digit;
    }
    if (typed.magnitude == 0 && !typed.huge) typed.negative = false; // -0 is 0
    return typed;
}

QString storedAs(const QString& stored, const QString& why)
{
    return QStringLiteral("valeur enregistrée : %1 (%2)").arg(stored, why);
}

StoredNote marked(const QString& stored, const QString& why)
{
    return {true, storedAs(stored, why)};
}

// No number: the field keeps its value; that is said, not marked.
StoredNote noNumber(const QString& stored)
{
    return {false, QStringLiteral("aucun nombre lu : la valeur enregistrée reste %1").arg(stored)};
}

QString negativeWhy(const QString& typed, int bits)
{
    return QStringLiteral("%1 est négatif : enregistré en complément à deux sur %2 bits")
        .arg(typed)
        .arg(bits);
}

QString tooWideWhy(const QString& typed, int bits)
{
    return QStringLiteral("%1 ne tient pas sur %2 bits").arg(typed).arg(bits);
}

QString cutWhy()
{
    return QStringLiteral("seuls les %1 premiers caractères sont lus").arg(kScannedChars);
}

QString levelText(std::uint8_t byte)
{
    if (!halfStep(byte)) return QString::number(byte);
    return QStringLiteral("%1, soit %2 avec le bit demi-pas").arg(byte).arg(levelCount(byte));
}

QString countText(std::int64_t count)
{
    return QStringLiteral("%1 interruptions").arg(count);
}

// A thin frame over the box's own border; it takes no input and leaves the box
// as it is.
class StoredMarkFrame : public QWidget
{
public:
    explicit StoredMarkFrame(QLineEdit* box) : QWidget(box)
    {
        setObjectName(QLatin1String(kStoredMarkName));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(box->rect());
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return false;
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        constexpr int kWidth = 2;
        painter.setPen(QPen(QColor(220, 0, 0), kWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(
            QRectF(rect()).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
    }
};
} // namespace

StoredNote integerNote(const QString& boxText, int bits, std::uint32_t stored)
{
    const QString storedText = QString::number(stored);
    if (!scanInt(::boxText(boxText))) return noNumber(storedText);
    const TypedInteger typed = *typedInteger(boxText);
    const std::uint64_t max = bits >= 32 ? 0xFFFFFFFFu : (std::uint64_t(1) << bits) - 1;
    if (typed.negative) return marked(storedText, negativeWhy(typed.text, bits));
    if (typed.huge || typed.magnitude > max)
        return marked(storedText, tooWideWhy(typed.text, bits));
    if (typed.magnitude != stored) return marked(storedText, cutWhy());
    return {};
}

StoredNote levelNote(const QString& boxText, std::uint8_t stored)
{
    const QString storedText = levelText(stored);
    if (!scanInt(::boxText(boxText))) return noNumber(storedText);
    const TypedInteger typed = *typedInteger(boxText);
    if (typed.negative) return marked(storedText, negativeWhy(typed.text, 8));
    if (typed.huge || typed.magnitude > 255) return marked(storedText, tooWideWhy(typed.text, 8));
    if (typed.magnitude >= 128)
        return marked(storedText,
                      QStringLiteral("%1 atteint 128 : le nombre met lui-même le bit demi-pas")
                          .arg(typed.text));
    if (typed.magnitude != levelCount(stored)) return marked(storedText, cutWhy());
    return {};
}

StoredNote floatNote(const QString& boxText, float stored)
{
    const QString storedText = QString::fromStdString(formatFloatForBox(stored));
    const std::string scanned = ::boxText(boxText);
    std::size_t end = 0;
    const auto read = scanFloatPrefix(scanned, end);
    if (!read) return noNumber(storedText);
    // Rounding to the nearest float is how the field holds decimals; only a
    // number beyond the float range, held as the largest float, is a mark.
    if (std::fabs(*read) == FLT_MAX) {
        std::size_t at = 0;
        while (isSpace(scanned[at]))
            ++at;
        if (scanned[at] == '+' || scanned[at] == '-') ++at;
        float exact = 0;
        if (std::from_chars(scanned.data() + at, scanned.data() + end, exact).ec ==
            std::errc::result_out_of_range)
            return marked(storedText,
                          QStringLiteral("%1 dépasse le plus grand nombre à virgule sur 32 bits")
                              .arg(numberText(scanned, end)));
    }
    std::size_t fullEnd = 0;
    const auto whole = scanFloatPrefix(boxText.toStdString(), fullEnd);
    if (whole && *whole != stored) return marked(storedText, cutWhy());
    return {};
}

StoredNote holdNote(const QString& boxText, std::uint32_t PeriodeTimer, std::uint8_t stored)
{
    const QString storedText = countText(stored);
    const std::string scanned = ::boxText(boxText);
    std::size_t end = 0;
    const auto ms = scanFloatPrefix(scanned, end);
    if (!ms) return noNumber(storedText);
    const QString typed = numberText(scanned, end);
    // The handler's own count before its low eight bits are kept.
    std::int64_t count = 0;
    try {
        const Extended periodMs = multiply(static_cast<Extended>(PeriodeTimer), 1e-6);
        count = truncateToInt64(divide(*ms, periodMs) + 0.5);
    } catch (const FloatingPointError&) {
        return marked(storedText, QStringLiteral("%1 ms ne donne aucun nombre d'interruptions à "
                                                 "la période IT de %2 ns : la valeur précédente "
                                                 "reste")
                                      .arg(typed)
                                      .arg(PeriodeTimer));
    }
    if (count < 0)
        return marked(storedText,
                      QStringLiteral("%1 ms font %2 : négatif, enregistré en complément à deux "
                                     "sur 8 bits")
                          .arg(typed, countText(count)));
    if (count > 255)
        return marked(storedText,
                      QStringLiteral("%1 ms font %2, plus que 255").arg(typed, countText(count)));
    std::size_t fullEnd = 0;
    const auto whole = scanFloatPrefix(boxText.toStdString(), fullEnd);
    if (whole && *whole != *ms) return marked(storedText, cutWhy());
    return {};
}

void showStoredNote(QLineEdit* box, const StoredNote& note)
{
    const QString help = box->property("korvalHelp").toString();
    QString text = help;
    if (!note.text.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + note.text;
    setHelpText(box, text);

    QWidget* frame =
        box->findChild<QWidget*>(QLatin1String(kStoredMarkName), Qt::FindDirectChildrenOnly);
    if (!note.marked) {
        if (frame) frame->hide();
        return;
    }
    if (!frame) frame = new StoredMarkFrame(box);
    frame->setAccessibleName(box->accessibleName() + QStringLiteral(" : valeur tronquée"));
    frame->setAccessibleDescription(note.text);
    frame->show();
    frame->raise();
}

bool hasStoredMark(const QLineEdit* box)
{
    const auto* frame =
        box->findChild<QWidget*>(QLatin1String(kStoredMarkName), Qt::FindDirectChildrenOnly);
    return frame && !frame->isHidden();
}
