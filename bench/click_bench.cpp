// From a click into « Période IT (ns) » to the end of the candidate list's
// first paint, in the real window, headless: the mouse press goes in through
// the platform's event path like the user's, and the clock stops when the
// list's viewport has painted. Escape closes the list between two clicks.
// Prints the median, the quartiles and the lines shown. Offscreen unless
// QT_QPA_PLATFORM names another platform (xcb under Xvfb, say).
// usage: korval_click_bench [CLICKS] [QUARTZ TURN STEPS]

#include "app/form_builder.h"
#include "app/tform1.h"
#include "quiet_dialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

// Stops the clock once the watched widget's first paint after start() is done.
class FirstPaint : public QObject
{
public:
    void start()
    {
        m_painted = false;
        m_begin = Clock::now();
    }
    bool painted() const { return m_painted; }
    double ms() const { return std::chrono::duration<double, std::milli>(m_end - m_begin).count(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || m_inside || m_painted) return false;
        // The paint itself runs inside, through the other filters as usual.
        m_inside = true;
        QCoreApplication::sendEvent(watched, event);
        m_inside = false;
        m_end = Clock::now();
        m_painted = true;
        return true;
    }

private:
    Clock::time_point m_begin;
    Clock::time_point m_end;
    bool m_inside = false;
    bool m_painted = true;
};

double at(std::vector<double> values, int quarter)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * quarter / 4)];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int clicks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;

    auto dialogs = std::make_unique<QuietDialogs>();
    QuietDialogs* faults = dialogs.get();
    TForm1 form(std::move(dialogs));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    const FormWidgets* ui = form.form();
    if (argc > 4) {
        form.writeText(ui->EditFrequenceQuartz, QString::fromLocal8Bit(argv[2]));
        form.writeText(ui->EditDureeTour, QString::fromLocal8Bit(argv[3]));
        form.writeText(ui->EditPasParTour, QString::fromLocal8Bit(argv[4]));
    }
    QCoreApplication::processEvents();

    QListWidget* list = ui->ListBoxValeurTimer;
    QLineEdit* period = ui->EditPeriodeTimer;
    FirstPaint paint;
    list->viewport()->installEventFilter(&paint);
    QWindow* window = form.windowHandle();
    const QPoint where = period->mapTo(&form, period->rect().center());

    std::vector<double> times;
    for (int i = 0; i < clicks + 5; ++i) {
        paint.start();
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, where);
        while (!paint.painted() && !list->isHidden() && faults->errors == 0)
            QCoreApplication::processEvents(); // a list painted later than the press
        if (!paint.painted() || faults->errors != 0) {
            std::fprintf(stderr, "korval_click_bench: the list was not painted\n");
            return 1;
        }
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, where);
        if (i >= 5) times.push_back(paint.ms()); // the first clicks warm the caches
        QTest::keyClick(window, Qt::Key_Escape);
        QCoreApplication::processEvents();
        if (!list->isHidden()) {
            std::fprintf(stderr, "korval_click_bench: Escape left the list open\n");
            return 1;
        }
    }
    std::printf("median %.3f q1 %.3f q3 %.3f lines %d clicks %d\n", at(times, 2), at(times, 1),
                at(times, 3), list->count(), clicks);
    return 0;
}
