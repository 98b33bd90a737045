// Loading a month of events from a vdir folder of 2,000 .ics files, 200 of
// them weekly recurring. Run from the build tree:
//   bench/bench_calendar --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// The time of each iteration is the store's (the worker reading, parsing and
// expanding); gui_ms is what the GUI thread spends on one publish: building
// the events, grouping them by day and publishing the month (target < 4 ms).

#include "../BenchLoop.h"
#include "CalendarService.h"
#include "ICalendarFileStore.h"
#include "UserDefaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    static bool written = false;
    if (written)
        return dir;
    written = true;
    QDir().mkpath(dir.filePath(QStringLiteral("calendars/work")));
    QFile color(dir.filePath(QStringLiteral("calendars/work/color")));
    color.open(QIODevice::WriteOnly);
    color.write("#3a87ad\n");
    const QDateTime yearStart(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < 2000; ++i) {
        const bool weekly = i < 200;
        // Singles spread over the year; weekly ones began a year earlier and never end.
        const QDateTime start = weekly ? yearStart.addDays(-365 + i % 7).addSecs(3600 * (8 + i % 10))
                                       : yearStart.addSecs(qint64(i) * 365 * 86400 / 1800 + 3600 * 9);
        const auto ical = [](const QDateTime& t) { return t.toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toUtf8(); };
        QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VEVENT\r\nUID:event-"
            + QByteArray::number(i) + "\r\nSUMMARY:Event " + QByteArray::number(i) + "\r\nDTSTART:" + ical(start) + "\r\nDTEND:"
            + ical(start.addSecs(3600)) + "\r\n" + (weekly ? "RRULE:FREQ=WEEKLY\r\n" : "") + "END:VEVENT\r\nEND:VCALENDAR\r\n";
        QFile f(dir.filePath(QStringLiteral("calendars/work/event-%1.ics").arg(i)));
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
    return dir;
}

// Times the inner store's answer (worker) and the service's handling of it (GUI thread).
class TimedStore final : public CalendarStore {
public:
    explicit TimedStore(CalendarStore& inner)
        : m_inner(inner)
    {
    }
    void start() override { m_inner.start(); }
    void stop() override { m_inner.stop(); }
    void fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer) override
    {
        auto asked = std::make_shared<QElapsedTimer>();
        asked->start();
        const bool isMonth = start.daysTo(end) > 1;
        m_inner.fetchEvents(
            start, end, context, [this, asked, isMonth, answer = std::move(answer)](QList<CalendarStoreEvent> events) {
                const double storeMs = double(asked->nsecsElapsed()) / 1e6;
                QElapsedTimer gui;
                gui.start();
                answer(std::move(events));
                if (isMonth) {
                    workerMs = storeMs;
                    guiMs = double(gui.nsecsElapsed()) / 1e6;
                    monthAnswered = true;
                }
            });
    }

    double workerMs = 0;
    double guiMs = 0;
    bool monthAnswered = false;

private:
    CalendarStore& m_inner;
};

// One month loaded, from a store that has read nothing yet (cold) or has
// every file parsed already, as after a change (warm).
void loadMonth(benchmark::State& state, bool cold)
{
    QTemporaryDir& dir = folder();
    UserDefaults defaults(dir.filePath(QStringLiteral("settings.ini")));
    defaults.setString(CalendarService::accessKey(), QStringLiteral("granted"));
    auto files = std::make_unique<ICalendarFileStore>(dir.filePath(QStringLiteral("calendars")), defaults.path());
    auto timed = std::make_unique<TimedStore>(*files);
    auto service = std::make_unique<CalendarService>(*timed, defaults);
    service->start();
    double gui = 0;
    double guiMax = 0;
    std::size_t occurrences = 0;
    int month = 0;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            service.reset();
            timed.reset();
            files = std::make_unique<ICalendarFileStore>(dir.filePath(QStringLiteral("calendars")), defaults.path());
            timed = std::make_unique<TimedStore>(*files);
            service = std::make_unique<CalendarService>(*timed, defaults);
            service->start();
            state.ResumeTiming();
        }
        timed->monthAnswered = false;
        // Alternate months, so every load is a new one.
        service->loadMonth(QDateTime(QDate(2026, 3 + month++ % 2, 15), QTime(12, 0)));
        if (!spinUntil([&] { return timed->monthAnswered; }, 60000)) {
            state.SkipWithError("the month did not load");
            return;
        }
        state.SetIterationTime(timed->workerMs / 1000.0);
        gui += timed->guiMs;
        guiMax = std::max(guiMax, timed->guiMs);
        occurrences = 0;
        for (const QList<CalendarEvent>& day : service->monthEvents())
            occurrences += std::size_t(day.size());
    }
    state.counters["gui_ms"] = benchmark::Counter(gui / double(state.iterations()));
    state.counters["gui_max_ms"] = benchmark::Counter(guiMax);
    state.counters["listed"] = benchmark::Counter(double(occurrences));
}

void BM_MonthCold(benchmark::State& state)
{
    loadMonth(state, true);
}
void BM_MonthWarm(benchmark::State& state)
{
    loadMonth(state, false);
}
BENCHMARK(BM_MonthCold)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MonthWarm)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
