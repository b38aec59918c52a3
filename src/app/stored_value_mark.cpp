#include "stored_value_mark.h"

#include "app/night_look.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QWidget>

namespace
{
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
        // By night every frame is red: this one stands out brighter and thicker.
        const bool night = nightLookOn();
        const double width = night ? korval::kMarkWidthNight : korval::kMarkWidthDay;
        painter.setPen(QPen(lookColour(korval::ColourRole::Mark, night), width));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(width / 2, width / 2, -width / 2, -width / 2));
    }
};
} // namespace

void showStoredMark(QLineEdit* box, const QString& note)
{
    QWidget* frame =
        box->findChild<QWidget*>(QLatin1String(kStoredMarkName), Qt::FindDirectChildrenOnly);
    if (note.isEmpty()) {
        if (frame) frame->hide();
        return;
    }
    if (!frame) frame = new StoredMarkFrame(box);
    frame->setAccessibleName(box->accessibleName() + QStringLiteral(" : valeur tronquée"));
    frame->setAccessibleDescription(note);
    frame->show();
    frame->raise();
}

bool hasStoredMark(const QLineEdit* box)
{
    const auto* frame =
        box->findChild<QWidget*>(QLatin1String(kStoredMarkName), Qt::FindDirectChildrenOnly);
    return frame && !frame->isHidden();
}
