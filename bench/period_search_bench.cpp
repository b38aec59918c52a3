// What the interrupt period search costs: the core search alone against a
// plain loop doing the same arithmetic once per candidate, and the search with
// the list fill through the real window, from the click to the visible list.

#include "app/tform1.h"
#include "config/extended.h"
#include "quiet_dialogs.h"
#include "timing/period_search.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

using namespace korval;

namespace
{

struct DriveCase {
    std::uint32_t quartz;
    float duree;
    std::uint32_t pas;
    int lines; // what the list must hold
};

constexpr DriveCase kFactory{14745600, 598.36181640625f, 25600, 293};
constexpr DriveCase kLarge{20000000, 55090.0f, 180065, 1512};

// The core search as the window runs it: setup, ranked candidates, line texts.
void BM_CoreSearch(benchmark::State& state, DriveCase c)
{
    std::size_t lines = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(c);
        const std::vector<std::string> out =
            candidateLines(searchCandidates(prepareSearch(c.quartz, c.duree, c.pas)));
        lines = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    if (int(lines) != c.lines) state.SkipWithError("unexpected number of lines");
    state.counters["lines"] = double(lines);
}

// The search without the line texts, to tell the arithmetic from the formatting.
void BM_CoreCandidatesOnly(benchmark::State& state, DriveCase c)
{
    std::size_t accepted = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(c);
        const std::vector<Candidate> out =
            searchCandidates(prepareSearch(c.quartz, c.duree, c.pas));
        accepted = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    if (int(accepted) != c.lines) state.SkipWithError("unexpected number of candidates");
    state.counters["lines"] = double(accepted);
}

// The floor: the search's arithmetic in the build's own extended type (the
// x87's long double, or the software format), once per candidate k from 32000
// down to L + 1, with the acceptance test and nothing else (no fault checks,
// no ranking, no text).
void BM_PlainLoop(benchmark::State& state, DriveCase c)
{
    long accepted = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(c);
        const Extended T =
            c.quartz != 0 ? float(Extended(4000000000.0) / Extended(c.quartz)) : 10000000000.0f;
        const Extended P = float(Extended(c.duree) * Extended(1000000000.0) / Extended(c.pas));
        const auto N = std::uint32_t(truncatedToInt64(P / T + Extended(0.5)));
        const auto L = std::int32_t(truncatedToInt64(Extended(300000.0) / T + Extended(0.5)));
        accepted = 0;
        double best = 1;
        for (std::int32_t k = 32000; k > L; --k) {
            const double q = double(Extended(N) / Extended(k));
            const auto n = std::int32_t(truncatedToInt64(Extended(q) + Extended(0.5)));
            const double m = double(Extended(n) * Extended(k) * T);
            const auto period = std::int32_t(truncatedToInt64(Extended(k) * T + Extended(0.5)));
            double e = double((P - Extended(m)) / P);
            e = e < 0 ? -e : e;
            if (e > 0.0005 || n >= 128) continue;
            ++accepted;
            if (e < best) best = e;
            benchmark::DoNotOptimize(period);
        }
        benchmark::DoNotOptimize(best);
    }
    if (accepted != c.lines) state.SkipWithError("unexpected number of accepted candidates");
    state.counters["lines"] = double(accepted);
}

// A shown, activated window on the given drive parameters, typed into its
// boxes the way the user sets them.
struct BenchWindow {
    QuietDialogs* dialogs = nullptr;
    std::unique_ptr<TForm1> form;

    explicit BenchWindow(const DriveCase& c)
    {
        auto fake = std::make_unique<QuietDialogs>();
        dialogs = fake.get();
        form = std::make_unique<TForm1>(std::move(fake));
        form->show();
        QCoreApplication::processEvents();
        const FormWidgets* ui = form->form();
        form->writeText(ui->EditFrequenceQuartz, QString::number(c.quartz));
        form->writeText(ui->EditDureeTour, QString::number(double(c.duree), 'f', 6));
        form->writeText(ui->EditPasParTour, QString::number(c.pas));
        QCoreApplication::processEvents();
    }
    QListWidget* list() const { return form->form()->ListBoxValeurTimer; }

    // The user's click into the period box, press and release.
    void clickPeriodBox() const
    {
        QLineEdit* box = form->form()->EditPeriodeTimer;
        const QPointF at = box->rect().center();
        QMouseEvent press(QEvent::MouseButtonPress, at, box->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, box->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        QApplication::sendEvent(box, &release);
    }

    bool check(benchmark::State& state, const DriveCase& c) const
    {
        if (dialogs->errors != 0 || !list()->isVisible() || list()->count() != c.lines ||
            list()->currentRow() != 0) {
            state.SkipWithError("the window did not show the expected list");
            return false;
        }
        state.counters["lines"] = double(list()->count());
        return true;
    }
};

// ChercherValeurTimer on the shown window: search, one-batch fill, select,
// show and immediate repaint of the list, starting each time from a hidden list.
void BM_WindowSearch(benchmark::State& state, DriveCase c)
{
    BenchWindow w(c);
    for (auto _ : state) {
        state.PauseTiming();
        w.list()->hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        w.form->ChercherValeurTimer();
    }
    w.check(state, c);
}

// From the click to the list on screen: the mouse press through the window's
// event filter, then every event the click left pending (layout, paint).
void BM_ClickToVisibleList(benchmark::State& state, DriveCase c)
{
    BenchWindow w(c);
    for (auto _ : state) {
        state.PauseTiming();
        w.list()->hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        w.clickPeriodBox();
        QCoreApplication::processEvents();
    }
    w.check(state, c);
}

} // namespace

BENCHMARK_CAPTURE(BM_CoreSearch, factory, kFactory)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlainLoop, factory, kFactory)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CoreCandidatesOnly, factory, kFactory)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CoreSearch, large_1512_lines, kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlainLoop, large_1512_lines, kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_WindowSearch, factory, kFactory)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WindowSearch, large_1512_lines, kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ClickToVisibleList, factory, kFactory)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ClickToVisibleList, large_1512_lines, kLarge)->Unit(benchmark::kMillisecond);

// The window needs an application object, headless: the platform is chosen
// before it exists.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
