// Benchmarks run inside the program's own windows: "Vai" to the first painted
// frame of the exercise window, the cost of keypad input through the real
// keypad, one re-layout of each main window, and which timers tick during the
// celebration and once the curtains have opened. Each figure is printed as
//   RESULT<TAB>measure<TAB>value with unit<TAB>goal
// for bench/run.py, which runs this under Xvfb on a Release build.

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "app/Accessibility.h"
#include "app/Application.h"
#include "app/Windows.h"
#include "exercise/Esercizio.h"
#include "exercise/frmOperativo.h"
#include "exercise/frmOperativoDef.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"

namespace {

constexpr int kVaiRuns = 21;
constexpr int kKeystrokes = 100'000;
constexpr int kClickedKeystrokes = 10'000;
constexpr int kLayoutRuns = 2'001;
constexpr int kWatchMs = 2'000;
constexpr int kSettleMs = 500;
constexpr int kWaitMs = 10'000;
constexpr int kCentre = 5;
constexpr double kLargerWindow = 1.25;

void result(const QString &measure, const QString &value, const QString &goal)
{
    std::printf("RESULT\t%s\t%s\t%s\n", qPrintable(measure), qPrintable(value), qPrintable(goal));
    std::fflush(stdout);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs the event loop until `done` holds or the wait runs out.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = kWaitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

FrmInizio *openStart()
{
    FrmInizio *window = app::Load<FrmInizio>();
    app::Show<FrmInizio>();
    if (!QTest::qWaitForWindowExposed(window) ||
        !waitUntil([window] { return !window->timerTendine()->isActive(); }))
        return nullptr;
    return window;
}

// Notes the end of the first frame painted for the exercise window: the
// queued call runs once the paint pass that painted it has been flushed.
class FirstFrame : public QObject
{
public:
    qint64 endNs = -1;
    QElapsedTimer *clock = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            const auto *widget = qobject_cast<QWidget *>(watched);
            if (widget && qobject_cast<frmOperativo *>(widget->window())) {
                m_seen = true;
                QMetaObject::invokeMethod(
                    this, [this] { endNs = clock->nsecsElapsed(); }, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    bool m_seen = false;
};

void measureVai(FrmInizio *start)
{
    std::vector<double> runs;
    for (int run = 0; run < kVaiRuns; ++run) {
        input::giveFocus(start->Option2(0));
        start->commandBank()->TastoPremuto = false;
        QElapsedTimer clock;
        FirstFrame frame;
        frame.clock = &clock;
        qApp->installEventFilter(&frame);
        clock.start();
        QTest::keyClick(start->windowHandle(), Qt::Key_Return);
        const bool painted = waitUntil([&frame] { return frame.endNs >= 0; });
        qApp->removeEventFilter(&frame);
        if (!painted) {
            result(QStringLiteral("\"Vai\" to the first painted frame"), QStringLiteral("no frame"),
                   QStringLiteral("under 20 ms"));
            return;
        }
        runs.push_back(static_cast<double>(frame.endNs) / 1e6);
        app::Unload<frmOperativo>();
        flushDeletes();
        waitUntil([start] { return start->isActiveWindow(); });
    }
    result(QStringLiteral("\"Vai\" to the first painted frame (median of %1)").arg(kVaiRuns),
           QStringLiteral("%1 ms").arg(median(runs), 0, 'f', 2), QStringLiteral("under 20 ms"));
    result(QStringLiteral("\"Vai\" to the first painted frame, first time"),
           QStringLiteral("%1 ms").arg(runs.front(), 0, 'f', 2), QString());
}

// Digits, their refusals and erasures, scanning, arrows and letters: every
// key acts, and none confirms, so the sun stays at its first result.
const std::vector<Qt::Key> kKeyMix{
    Qt::Key_1, Qt::Key_2,         Qt::Key_3,     Qt::Key_4, Qt::Key_Backspace, Qt::Key_Space,
    Qt::Key_C, Qt::Key_Right,     Qt::Key_A,     Qt::Key_0, Qt::Key_Backspace, Qt::Key_7,
    Qt::Key_N, Qt::Key_Backspace, Qt::Key_Space, Qt::Key_E, Qt::Key_Left,      Qt::Key_Backspace,
};

// A keystroke along the path QTest::keyClick takes to the window handle, as
// the window system delivers it, without the round of the event loop that
// QTest runs after each press and each release.
void keystroke(QWindow *window, Qt::Key key)
{
    const char ascii = QTest::keyToAscii(key);
    const QString text = ascii ? QString(QChar::fromLatin1(ascii)) : QString();
    qt_handleKeyEvent(window, QEvent::KeyPress, key, Qt::NoModifier, text);
    qt_handleKeyEvent(window, QEvent::KeyRelease, key, Qt::NoModifier, text);
}

// Handling: the time from a key entering the program to its effect on the
// captions, states and focus, with the repaint it asks for left out; the
// event loop repaints after every keystroke, outside the timed part.
double handlingMicroseconds(QWindow *window, int count)
{
    qint64 ns = 0;
    QElapsedTimer clock;
    for (int i = 0; i < count; ++i) {
        clock.start();
        keystroke(window, kKeyMix[static_cast<size_t>(i) % kKeyMix.size()]);
        ns += clock.nsecsElapsed();
        QCoreApplication::processEvents();
    }
    return static_cast<double>(ns) / 1e3 / count;
}

// QTest::keyClick as it stands: press, a round of the event loop that
// repaints, release, another round.
double keyClickMicroseconds(QWindow *window, int count)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i)
        QTest::keyClick(window, kKeyMix[static_cast<size_t>(i) % kKeyMix.size()]);
    return static_cast<double>(clock.nsecsElapsed()) / 1e3 / count;
}

void measureKeypad(FrmInizio *start)
{
    start->esercizio().setNumeroCentrale(kCentre);
    app::Load<frmOperativo>(start->esercizio());
    app::Show<frmOperativo>();
    frmOperativo *window = app::Loaded<frmOperativo>();
    if (!window || !QTest::qWaitForWindowActive(window)) {
        result(QStringLiteral("keypad input"), QStringLiteral("no window"), QString());
        return;
    }
    QWindow *handle = window->windowHandle();
    keyClickMicroseconds(handle, static_cast<int>(kKeyMix.size()) * 10); // glyphs in the cache
    const double handling = handlingMicroseconds(handle, kKeystrokes);
    const double clicked = keyClickMicroseconds(handle, kClickedKeystrokes);
    const bool entry = window->esercizio().stato().RaggioCorrente == 0 &&
                       !window->Option1(exercise::kNuovoSole)->isEnabled() &&
                       !window->Option1(exercise::kEsco)->isEnabled();
    result(
        QStringLiteral("keypad input handling, %1 keystrokes (press and release)").arg(kKeystrokes),
        entry ? QStringLiteral("%1 µs per keystroke").arg(handling, 0, 'f', 2)
              : QStringLiteral("left the entry state"),
        QStringLiteral("under 20 µs"));
    result(QStringLiteral("keypad keystroke with its repaint (QTest::keyClick), %1 keystrokes")
               .arg(kClickedKeystrokes),
           QStringLiteral("%1 µs per keystroke").arg(clicked, 0, 'f', 1), QString());
    app::Unload<frmOperativo>();
    flushDeletes();
}

// One ApplicaProporzioni of a shown window, alternating between its design
// size and a larger one so that every control really moves. The window's own
// resize handling is kept out of the way while the inner area is resized.
double relayoutMicroseconds(app::Form *window)
{
    QWidget *client = window->client();
    const QSize design = client->size();
    const QSize larger = (QSizeF(design) * kLargerWindow).toSize();
    client->removeEventFilter(window);
    std::vector<double> runs;
    for (int run = 0; run < kLayoutRuns; ++run) {
        client->resize(run % 2 ? larger : design);
        QElapsedTimer clock;
        clock.start();
        window->ApplicaProporzioni();
        runs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e3);
        if (run % 100 == 0)
            QCoreApplication::processEvents();
    }
    client->installEventFilter(window);
    client->resize(design);
    window->ApplicaProporzioni();
    return median(runs);
}

void measureRelayout(FrmInizio *start)
{
    const QString goal = QStringLiteral("under 500 µs");
    result(QStringLiteral("one re-layout of the start window (median)"),
           QStringLiteral("%1 µs").arg(relayoutMicroseconds(start), 0, 'f', 1), goal);
    app::Load<frmOperativo>(start->esercizio());
    app::Show<frmOperativo>();
    frmOperativo *exercise = app::Loaded<frmOperativo>();
    if (!exercise || !QTest::qWaitForWindowExposed(exercise))
        return;
    result(QStringLiteral("one re-layout of the exercise window (median)"),
           QStringLiteral("%1 µs").arg(relayoutMicroseconds(exercise), 0, 'f', 1), goal);
    app::Unload<frmOperativo>();
    flushDeletes();
}

QString describe(const QObject *object)
{
    const QString name = object->objectName();
    if (!name.isEmpty())
        return name;
    QString described = QString::fromLatin1(object->metaObject()->className());
    if (const QObject *parent = object->parent())
        described += QStringLiteral(" of ") + describe(parent);
    return described;
}

// The program's objects: the application, every window and widget, and
// everything they own. The toolkit's own housekeeping objects are not among them.
std::set<const QObject *> programObjects()
{
    std::set<const QObject *> objects;
    std::function<void(const QObject *)> collect = [&](const QObject *object) {
        if (!objects.insert(object).second)
            return;
        for (const QObject *child : object->children())
            collect(child);
    };
    collect(qApp);
    for (const QWidget *widget : QApplication::allWidgets())
        collect(widget);
    for (const QWindow *window : QGuiApplication::allWindows())
        collect(window);
    return objects;
}

// Every timer the event dispatcher holds for an object of the program.
std::map<QString, int> registeredTimers()
{
    std::map<QString, int> timers;
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    for (const QObject *object : programObjects())
        for (const auto &timer : dispatcher->registeredTimers(const_cast<QObject *>(object)))
            timers[describe(object)] = timer.interval;
    return timers;
}

QStringList activeQTimers()
{
    QStringList active;
    for (const QWidget *window : QApplication::topLevelWidgets())
        for (const QTimer *timer : window->findChildren<QTimer *>())
            if (timer->isActive())
                active
                    << QStringLiteral("%1 (%2 ms)").arg(timer->objectName()).arg(timer->interval());
    return active.isEmpty() ? QStringList{QStringLiteral("none")} : active;
}

// The timer events delivered while the event loop runs for `ms`, counted per
// receiver; the toolkit's own are marked as such.
class TimerTicks : public QObject
{
public:
    explicit TimerTicks(int ms)
    {
        const std::set<const QObject *> program = programObjects();
        QTimer end;
        end.setSingleShot(true);
        end.setInterval(ms);
        m_ignored = &end;
        m_program = &program;
        QEventLoop loop;
        connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
        qApp->installEventFilter(this);
        end.start();
        loop.exec();
        qApp->removeEventFilter(this);
    }

    QString list() const
    {
        QStringList items;
        for (const auto &[name, count] : m_ticks)
            items << QStringLiteral("%1 (%2)").arg(name).arg(count);
        return items.isEmpty() ? QStringLiteral("none") : items.join(QStringLiteral(", "));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Timer && watched != m_ignored) {
            QString name = describe(watched);
            if (!m_program->count(watched))
                name += QStringLiteral(" [toolkit]");
            ++m_ticks[name];
        }
        return false;
    }

private:
    const QObject *m_ignored = nullptr;
    const std::set<const QObject *> *m_program = nullptr;
    std::map<QString, int> m_ticks;
};

QString listRegistered(const std::map<QString, int> &timers)
{
    QStringList items;
    for (const auto &[name, interval] : timers)
        items << QStringLiteral("%1 (%2 ms)").arg(name).arg(interval);
    return items.isEmpty() ? QStringLiteral("none") : items.join(QStringLiteral(", "));
}

void reportTimers(const QString &when, const QString &goal, const QString &tickGoal)
{
    result(QStringLiteral("%1: active QTimers of the windows").arg(when),
           activeQTimers().join(QStringLiteral(", ")), goal);
    result(QStringLiteral("%1: timers registered for the program").arg(when),
           listRegistered(registeredTimers()), goal);
    result(QStringLiteral("%1: timer ticks in %2 s").arg(when).arg(kWatchMs / 1000),
           TimerTicks(kWatchMs).list(), tickGoal);
}

void measureTimers(FrmInizio *start)
{
    // The window system's own reaction to the last window closed settles first.
    TimerTicks settle(kSettleMs);
    reportTimers(QStringLiteral("once the curtains have opened"), QStringLiteral("none"),
                 QStringLiteral("none"));

    start->esercizio().setNumeroCentrale(kCentre);
    start->EseguiComando(0);
    frmOperativo *window = app::Loaded<frmOperativo>();
    if (!window || !QTest::qWaitForWindowActive(window))
        return;
    for (int ray = 0; ray < exercise::kRayCount; ++ray) {
        for (const QChar digit : QString::number(window->esercizio().stato().Somme.at(size_t(ray))))
            QTest::keyClick(window->windowHandle(),
                            static_cast<Qt::Key>(Qt::Key_0 + digit.digitValue()));
        QTest::keyClick(window->windowHandle(), Qt::Key_Return);
    }
    if (!window->Timer3()->isActive()) {
        result(QStringLiteral("during the celebration"), QStringLiteral("no celebration"),
               QString());
        return;
    }
    reportTimers(QStringLiteral("during the celebration"),
                 QStringLiteral("Timer2 (50 ms), Timer3 (400 ms)"),
                 QStringLiteral("Timer2 and Timer3 only, about 40 and 5"));
    app::Unload<frmOperativo>();
    flushDeletes();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    app::installFontSubstitutions();
    app::installAccessibility();

    FrmInizio *start = openStart();
    if (!start) {
        std::fprintf(stderr, "bench_inprocess: the start window did not open\n");
        return 1;
    }
    measureVai(start);
    measureKeypad(start);
    measureRelayout(start);
    waitUntil([start] { return !start->timerTendine()->isActive(); });
    measureTimers(start);
    app::Unload<FrmInizio>();
    flushDeletes();
    return 0;
}
