// A seeded random walk over all four windows: keys from every key table and
// from none, typed characters, held keys with their auto-repeat, mouse presses
// and releases with any button, ticks of the three timers, resizes down to
// nothing, minimise and restore, and the opening and closing of every window.
// After every event it checks what the program promises. A failure names its
// seed and step, and PINNUVO_SOAK_SEED and PINNUVO_SOAK_STEPS replay it.
//
// The walk runs from a zero-interval timer, so it goes on inside the nested
// event loop of a modal window. The program's own timers are held back and
// ticked by the walk instead, and every sun is drawn from a generator the walk
// hands to the exercise, seeded from the walk's own seed: a replay meets the
// same ticks and the same suns at the same steps.

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <thread>
#include <unistd.h>

#include "app/Windows.h"
#include "exercise/Esercizio.h"
#include "exercise/frmOperativo.h"
#include "exercise/frmOperativoDef.h"
#include "info/frmAutore.h"
#include "info/frmIstruzioni.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "layout/ControlBuilder.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"
#include "start/FrmInizioDef.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

constexpr quint64 kDefaultSeed = 5081;
constexpr qint64 kDefaultSteps = 200000;
// A walk at least this long must have reached every state it counts.
constexpr qint64 kStepsForCoverage = 20000;
// The windows paint after every few events, as a screen refreshes.
constexpr qint64 kPaintEvery = 4;
// No step for this long means a handler never returned.
constexpr std::chrono::seconds kStallLimit{120};
constexpr size_t kTrailLength = 12;

// How the walk spends its time: wandering is mostly random events, purposeful
// mostly the steps of a pupil answering suns; moods last a random while.
constexpr double kPurposeInPurposefulMood = 0.85;
constexpr double kPurposeInWanderingMood = 0.05;
constexpr int kShortestMood = 20;
constexpr int kLongestMood = 400;
// Now and then the pupil means to type a wrong result, so that checks fail.
constexpr double kWrongAnswer = 0.06;

// A wait this long sees at least one blink.
constexpr int kBlinkEvery = exercise::kBlinkInterval;
// Random sizes stay within an ordinary screen: painting dominates a step's cost.
constexpr int kWidestResize = 1024;
constexpr int kTallestResize = 768;

const QRegularExpression kResultText(QStringLiteral("^(\\?|[1-9][0-9]{0,2})?$"));

// What the crash handlers print: the seed and the step being performed.
std::atomic<quint64> g_seed{0};
std::atomic<qint64> g_step{0};

void writeNumber(quint64 value)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    char text[24];
    for (int i = 0; i < n; ++i)
        text[i] = digits[n - 1 - i];
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, static_cast<size_t>(n));
}

void writeText(const char *text)
{
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
}

// Safe inside a signal handler: only write(2).
void reportReplay()
{
    writeText("\nsoak: died at seed ");
    writeNumber(g_seed.load());
    writeText(", step ");
    writeNumber(static_cast<quint64>(g_step.load()));
    writeText("; replay with PINNUVO_SOAK_SEED=");
    writeNumber(g_seed.load());
    writeText(" PINNUVO_SOAK_STEPS=");
    writeNumber(static_cast<quint64>(g_step.load()));
    writeText("\n");
}

void onFatalSignal(int signal)
{
    reportReplay();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Qt's messages during the walk, counted by their text with the numbers left
// out; the offscreen platform's notes on what it cannot do are no finding.
std::map<QString, qint64> g_messages;

void countMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    static const QRegularExpression numbers(QStringLiteral("[0-9]+"));
    static const QRegularExpression platformNotes(QStringLiteral("^This plugin does not support"));
    if (platformNotes.match(text).hasMatch())
        return;
    QString key = text;
    key.replace(numbers, QStringLiteral("N"));
    ++g_messages[QStringLiteral("%1: %2").arg(type == QtDebugMsg ? "debug" : "warning", key)];
}

quint64 seedFromEnvironment()
{
    bool ok = false;
    const quint64 seed = qEnvironmentVariable("PINNUVO_SOAK_SEED").toULongLong(&ok);
    return ok ? seed : kDefaultSeed;
}

qint64 stepsFromEnvironment()
{
    bool ok = false;
    const qint64 steps = qEnvironmentVariable("PINNUVO_SOAK_STEPS").toLongLong(&ok);
    return ok && steps > 0 ? steps : kDefaultSteps;
}

bool isProgramTimer(QObject *object)
{
    static const QStringList names{QStringLiteral("timerTendine"), QStringLiteral("Timer2"),
                                   QStringLiteral("Timer3")};
    return qobject_cast<QTimer *>(object) && names.contains(object->objectName());
}

bool blocked(const QWidget *window)
{
    const QWindow *modal = QGuiApplication::modalWindow();
    return modal && modal != window->windowHandle();
}

QString describe(const QWidget *widget)
{
    return widget ? widget->objectName() : QStringLiteral("nothing");
}

struct Key
{
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

// Keys that some bank's table names.
const std::vector<Key> &tabledKeys()
{
    static const std::vector<Key> keys = [] {
        std::vector<Key> list;
        for (int d = 0; d <= 9; ++d) {
            list.push_back({static_cast<Qt::Key>(Qt::Key_0 + d)});
            list.push_back({static_cast<Qt::Key>(Qt::Key_0 + d), Qt::KeypadModifier});
        }
        list.push_back({Qt::Key_Asterisk, Qt::KeypadModifier});
        for (Qt::Key letter : {Qt::Key_A, Qt::Key_C, Qt::Key_E, Qt::Key_N, Qt::Key_S, Qt::Key_V})
            list.push_back({letter});
        for (Qt::Key other : {Qt::Key_F2, Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Up,
                              Qt::Key_Right, Qt::Key_Down, Qt::Key_Return})
            list.push_back({other});
        list.push_back({Qt::Key_Enter, Qt::KeypadModifier});
        return list;
    }();
    return keys;
}

// Keys that no table names. Alt stays out: it would lead into the menu bar,
// whose commands open modal windows from inside the walk's own step.
const std::vector<Key> &untabledKeys()
{
    static const std::vector<Key> keys{
        {Qt::Key_X},        {Qt::Key_Q},        {Qt::Key_Z},
        {Qt::Key_B},        {Qt::Key_Tab},      {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Escape},   {Qt::Key_Home},     {Qt::Key_End},
        {Qt::Key_Delete},   {Qt::Key_Insert},   {Qt::Key_PageUp},
        {Qt::Key_PageDown}, {Qt::Key_F1},       {Qt::Key_F5},
        {Qt::Key_F12},      {Qt::Key_Asterisk}, {Qt::Key_Plus},
        {Qt::Key_Minus},    {Qt::Key_Menu},     {Qt::Key_Shift},
        {Qt::Key_Control},  {Qt::Key_Select}};
    return keys;
}

bool isEnter(Qt::Key key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QString textOf(const Key &key)
{
    const char ascii = QTest::keyToAscii(key.key);
    return ascii ? QString(QLatin1Char(ascii)) : QString();
}

// A keystroke, press then release. Unlike QTest::keyClick it sends nothing
// more to a window that the press has unloaded and deleted meanwhile.
void strike(QWindow *target, int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    const QPointer<QWindow> window(target);
    QTest::simulateEvent(window, true, key, modifiers, text, false);
    if (window)
        QTest::simulateEvent(window, false, key, modifiers, text, false);
}

} // namespace

class Walk : public QObject
{
    Q_OBJECT
public:
    Walk(quint64 seed, qint64 steps)
        : m_seed(seed), m_steps(steps), m_random(seed),
          m_sunSeeds(static_cast<std::uint32_t>(seed ^ (seed >> 32)))
    {
        g_seed = seed;
        qApp->installEventFilter(this);
        app::setOnAllUnloaded([this] { programEnded(); });
        connect(&m_driver, &QTimer::timeout, this, [this] { tick(); });
    }

    ~Walk() override
    {
        app::setOnAllUnloaded({});
        qApp->removeEventFilter(this);
    }

    void run()
    {
        restart();
        m_driver.start(0);
        std::atomic<bool> running{true};
        std::thread watchdog([&running] {
            qint64 last = -1;
            auto since = std::chrono::steady_clock::now();
            while (running) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                const qint64 now = g_step.load();
                if (now != last) {
                    last = now;
                    since = std::chrono::steady_clock::now();
                } else if (std::chrono::steady_clock::now() - since > kStallLimit) {
                    writeText("\nsoak: no step for two minutes: a handler never returned");
                    reportReplay();
                    std::abort();
                }
            }
        });
        const QtMessageHandler previous = qInstallMessageHandler(countMessage);
        QEventLoop loop;
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
        qInstallMessageHandler(previous);
        running = false;
        watchdog.join();
        closeEverything();
    }

    QString failure() const { return m_failure; }
    qint64 count(const QString &name) const
    {
        const auto found = m_counts.find(name);
        return found == m_counts.end() ? 0 : found->second;
    }

    QString report() const
    {
        QString text = QStringLiteral("soak: seed %1, %2 steps\n").arg(m_seed).arg(m_step);
        for (const auto &[name, n] : m_counts)
            text += QStringLiteral("  %1 %2\n").arg(n, 9).arg(name);
        for (const auto &[message, n] : g_messages)
            text += QStringLiteral("  %1 message: %2\n").arg(n, 9).arg(message);
        return text;
    }

protected:
    // The program's timers tick only when the walk says so, and the windows
    // paint every few steps, as a screen would, rather than after every event.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::UpdateRequest && !m_painting && watched->isWidgetType()) {
            auto *window = static_cast<QWidget *>(watched);
            if (!m_unpainted.contains(window))
                m_unpainted.append(window);
            return true;
        }
        return event->type() == QEvent::Timer && isProgramTimer(watched);
    }

private:
    using Act = bool (Walk::*)();
    struct Choice
    {
        int weight;
        Act act;
    };

    FrmInizio *start() const { return app::Loaded<FrmInizio>(); }
    frmOperativo *exercise() const { return app::Loaded<frmOperativo>(); }
    frmAutore *author() const { return app::Loaded<frmAutore>(); }
    frmIstruzioni *instructions() const { return app::Loaded<frmIstruzioni>(); }

    std::vector<app::Form *> loadedForms() const
    {
        std::vector<app::Form *> forms;
        for (app::Form *form :
             std::initializer_list<app::Form *>{start(), exercise(), author(), instructions()})
            if (form)
                forms.push_back(form);
        return forms;
    }

    std::vector<app::Form *> visibleForms() const
    {
        std::vector<app::Form *> forms;
        for (app::Form *form : loadedForms())
            if (form->isVisible() && form->windowHandle())
                forms.push_back(form);
        return forms;
    }

    // The windows a pupil can click: shown and not minimised.
    std::vector<app::Form *> clickableForms() const
    {
        std::vector<app::Form *> forms = visibleForms();
        std::erase_if(forms, [](const app::Form *form) { return form->isMinimized(); });
        return forms;
    }

    app::Form *modalForm() const
    {
        if (author())
            return author();
        return instructions();
    }

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }
    template <class T> T pick(const std::vector<T> &items)
    {
        return items.at(static_cast<size_t>(below(static_cast<int>(items.size()))));
    }

    // Counts the event by its kind; the trail of the last events keeps its details.
    void note(const QString &kind, const QString &detail = {})
    {
        ++m_counts[QStringLiteral("event: ") + kind];
        m_trail.push_back(QStringLiteral("%1 %2 %3").arg(m_step).arg(kind, detail));
        if (m_trail.size() > kTrailLength)
            m_trail.pop_front();
    }

    void fail(const QString &problem)
    {
        if (!m_failure.isEmpty())
            return;
        QString trail;
        for (const QString &line : m_trail)
            trail += QStringLiteral("\n    ") + line;
        m_failure = QStringLiteral("seed %1, step %2: %3\n  last events:%4\n  replay with "
                                   "PINNUVO_SOAK_SEED=%1 PINNUVO_SOAK_STEPS=%2")
                        .arg(m_seed)
                        .arg(m_step)
                        .arg(problem, trail);
    }

    void programEnded()
    {
        ++m_counts[QStringLiteral("state: program ended")];
        if (!m_endAllowed)
            fail(QStringLiteral("the program ended, though the walk chose neither \"Esci\" nor "
                                "the start window's close box"));
        m_ended = true;
    }

    // As a pupil would start the program again: a new start window brings a
    // new exercise, whose suns the walk draws.
    void restart()
    {
        app::Load<FrmInizio>()->esercizio().setSorgente(
            [this] { return std::mt19937(m_sunSeeds()); });
        app::Show<FrmInizio>(app::Modality::Modeless);
        m_ended = false;
    }

    void paint()
    {
        m_painting = true;
        for (const QPointer<QWidget> &window : std::exchange(m_unpainted, {}))
            if (window) {
                QEvent update(QEvent::UpdateRequest);
                QCoreApplication::sendEvent(window, &update);
            }
        m_painting = false;
    }

    void tick()
    {
        // A modal window is about to open: its nested loop carries the walk on.
        if (m_finished || m_modalPending)
            return;
        g_step = ++m_step;
        m_endAllowed = false;
        m_endExpected = false;
        m_tickedBlink = false;
        if (--m_moodLeft <= 0) {
            m_purposeful = !m_purposeful;
            m_moodLeft = kShortestMood + below(kLongestMood - kShortestMood);
        }

        if (m_ended) {
            note(QStringLiteral("start the program again"));
            restart();
        } else {
            const double purpose =
                m_purposeful ? kPurposeInPurposefulMood : kPurposeInWanderingMood;
            bool done = chance(purpose) && pursue();
            while (!done)
                done = wander();
        }
        QCoreApplication::processEvents();
        if (m_step % kPaintEvery == 0)
            paint();

        if (!exercise() || exercise()->esercizio().stato().RaggioCorrente < exercise::kRayCount)
            m_blinkTicks = 0;
        if (m_endExpected && !m_ended)
            fail(QStringLiteral(
                "\"Esci\" or the start window's close box left the program running"));
        if (m_failure.isEmpty() && !m_ended)
            checkPromises();
        countStates();

        if (!m_failure.isEmpty() || m_step >= m_steps) {
            finish();
            return;
        }
        if (m_openModal) {
            // Opened from a posted call, not from inside this step, so that this
            // timer is free to fire inside the modal window's nested loop.
            m_modalPending = true;
            QMetaObject::invokeMethod(
                this,
                [this, open = std::exchange(m_openModal, nullptr)] {
                    m_modalPending = false;
                    open();
                },
                Qt::QueuedConnection);
        }
    }

    void finish()
    {
        m_finished = true;
        m_driver.stop();
        // Closing the modal windows ends their nested loops, so the walk's own loop can end.
        app::Unload<frmIstruzioni>();
        app::Unload<frmAutore>();
        if (m_loop)
            m_loop->quit();
    }

    void closeEverything()
    {
        app::setOnAllUnloaded({});
        for (const auto &[window, button] : m_heldButtons)
            if (window)
                QTest::mouseRelease(window, button);
        m_heldButtons.clear();
        if (m_heldKey && m_heldKeyWindow)
            QTest::simulateEvent(m_heldKeyWindow, false, m_heldKey->key, m_heldKey->modifiers,
                                 textOf(*m_heldKey), false);
        app::Unload<frmIstruzioni>();
        app::Unload<frmAutore>();
        app::Unload<FrmInizio>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // ---- random events --------------------------------------------------

    bool wander()
    {
        static const std::array kChoices{
            Choice{30, &Walk::pressKey},         Choice{8, &Walk::pressSpace},
            Choice{5, &Walk::typeCharacter},     Choice{6, &Walk::holdKey},
            Choice{12, &Walk::pressMouse},       Choice{8, &Walk::releaseMouse},
            Choice{16, &Walk::timePasses},       Choice{2, &Walk::resizeWindow},
            Choice{2, &Walk::changeWindowState}, Choice{3, &Walk::activateWindow},
            Choice{2, &Walk::chooseVai},         Choice{2, &Walk::closeBox},
            Choice{1, &Walk::openAuthor},        Choice{1, &Walk::openInstructions},
        };
        static const int total = [] {
            int sum = 0;
            for (const Choice &choice : kChoices)
                sum += choice.weight;
            return sum;
        }();
        int roll = below(total);
        for (const Choice &choice : kChoices) {
            if (roll < choice.weight)
                return (this->*choice.act)();
            roll -= choice.weight;
        }
        return false;
    }

    // The window that keys reach: the focus window, as on a desktop.
    app::Form *keyTarget()
    {
        const QWindow *focus = QGuiApplication::focusWindow();
        for (app::Form *form : clickableForms())
            if (form->windowHandle() == focus)
                return form;
        return nullptr;
    }

    bool confirmsEsci(const app::Form *target, Qt::Key key) const
    {
        const FrmInizio *form = start();
        return form && target == form && !blocked(form) && isEnter(key) &&
               form->focusWidget() == form->Option2(2);
    }

    void sendKey(app::Form *target, const Key &key, const QString &what)
    {
        if (confirmsEsci(target, key.key))
            m_endAllowed = true;
        note(what, QStringLiteral("(key %1 to %2)")
                       .arg(key.key, 0, 16)
                       .arg(target->metaObject()->className()));
        strike(target->windowHandle(), key.key, key.modifiers, textOf(key));
    }

    bool pressKey()
    {
        app::Form *target = keyTarget();
        if (!target)
            return activateWindow();
        const bool tabled = chance(0.8);
        Key key = pick(tabled ? tabledKeys() : untabledKeys());
        // The shift state is not used: a key acts the same with SHIFT or CTRL.
        if (chance(0.08))
            key.modifiers |= chance(0.5) ? Qt::ShiftModifier : Qt::ControlModifier;
        sendKey(target, key,
                tabled ? QStringLiteral("key of a table") : QStringLiteral("key of no table"));
        return true;
    }

    bool pressSpace()
    {
        app::Form *target = keyTarget();
        if (!target)
            return activateWindow();
        sendKey(target, {Qt::Key_Space}, QStringLiteral("SPACE"));
        return true;
    }

    bool typeCharacter()
    {
        app::Form *target = keyTarget();
        if (!target)
            return activateWindow();
        if (chance(0.8)) {
            const char c = static_cast<char>(' ' + below('~' - ' ' + 1));
            note(QStringLiteral("typed character"), QString(QLatin1Char(c)));
            strike(target->windowHandle(), QTest::asciiToKey(c), Qt::NoModifier,
                   QString(QLatin1Char(c)));
        } else {
            // A character that no key code names.
            note(QStringLiteral("character without a key code"));
            const QString text = chance(0.5) ? QStringLiteral("è") : QStringLiteral("€");
            strike(target->windowHandle(), 0, Qt::NoModifier, text);
        }
        return true;
    }

    // A held key: the press, X11's auto-repeat (release and press pairs marked
    // as repeats), and the release, which reach whichever window then has the focus.
    bool holdKey()
    {
        app::Form *target = keyTarget();
        if (!target)
            return activateWindow();
        QWindow *window = target->windowHandle();
        if (!m_heldKey) {
            Key key = chance(0.3) ? Key{Qt::Key_Space} : pick(tabledKeys());
            if (confirmsEsci(target, key.key))
                m_endAllowed = true;
            note(QStringLiteral("held key: press"), QString::number(key.key, 16));
            // Held before it is pressed: the press may unload the window.
            m_heldKey = key;
            m_heldKeyWindow = window;
            QTest::simulateEvent(window, true, key.key, key.modifiers, textOf(key), false);
            return true;
        }
        const Key key = *m_heldKey;
        if (chance(0.75)) {
            if (confirmsEsci(target, key.key))
                m_endAllowed = true;
            note(QStringLiteral("held key: auto-repeat"), QString::number(key.key, 16));
            const QPointer<QWindow> alive(window);
            QTest::simulateEvent(window, false, key.key, key.modifiers, textOf(key), true);
            if (alive)
                QTest::simulateEvent(window, true, key.key, key.modifiers, textOf(key), true);
            return true;
        }
        note(QStringLiteral("held key: release"), QString::number(key.key, 16));
        QTest::simulateEvent(window, false, key.key, key.modifiers, textOf(key), false);
        m_heldKey.reset();
        return true;
    }

    // The buttons a press can aim at in a window: its bank buttons and the
    // close button of an information window.
    std::vector<QWidget *> buttonsOf(const app::Form *form) const
    {
        std::vector<QWidget *> buttons;
        for (const layout::Control &control : form->controls())
            if (auto *button = qobject_cast<QPushButton *>(control.object.data()))
                buttons.push_back(button);
        return buttons;
    }

    static QString buttonName(Qt::MouseButton button)
    {
        switch (button) {
        case Qt::LeftButton:
            return QStringLiteral("left");
        case Qt::RightButton:
            return QStringLiteral("right");
        case Qt::MiddleButton:
            return QStringLiteral("middle");
        default:
            return QStringLiteral("side");
        }
    }

    Qt::MouseButton anyMouseButton()
    {
        static const std::vector<Qt::MouseButton> buttons{
            Qt::LeftButton,   Qt::LeftButton, Qt::LeftButton,   Qt::RightButton,
            Qt::MiddleButton, Qt::BackButton, Qt::ForwardButton};
        return pick(buttons);
    }

    // A point of the window's inner area, in the window's coordinates; the
    // menu bar stays out, as its commands open modal windows.
    std::optional<QPoint> placeIn(const app::Form *form, const QWidget *widget = nullptr)
    {
        const QWidget *area = widget ? widget : form->client();
        // Within the platform window too, which a maximised window may not fill.
        const QRect inner = form->client()->geometry().intersected(
            QRect(QPoint(0, 0), form->windowHandle()->size()));
        const QRect visible =
            area->rect().intersected(QRect(area->mapFrom(form, inner.topLeft()), inner.size()));
        if (visible.isEmpty())
            return std::nullopt;
        const QPoint inside(visible.left() + below(visible.width()),
                            visible.top() + below(visible.height()));
        const QPoint at = area->mapTo(form, inside);
        // QTest reads the point 0,0 as "the middle of the window".
        if (at.isNull())
            return std::nullopt;
        return at;
    }

    void sendPress(app::Form *form, Qt::MouseButton button, QPoint at, const QString &what)
    {
        // A window manager gives a clicked window the focus, mostly.
        if (!blocked(form) && !form->isActiveWindow() && chance(0.8)) {
            form->activateWindow();
            QCoreApplication::processEvents();
        }
        const FrmInizio *startForm = start();
        if (startForm && form == startForm && !blocked(form)) {
            const QWidget *esci = startForm->Option2(2);
            const QWidget *under = form->childAt(at);
            if (under == esci || (!m_heldButtons.empty() && m_grabber == esci))
                m_endAllowed = true;
            if (under == esci && m_heldButtons.empty() && esci->isEnabled())
                m_endExpected = true;
        }
        if (m_heldButtons.empty())
            m_grabber = form->childAt(at);
        note(QStringLiteral("%1 (%2 button)").arg(what, buttonName(button)),
             QStringLiteral("on %1 of %2")
                 .arg(describe(form->childAt(at)), form->metaObject()->className()));
        // The press may unload the window, and QTest's own event processing then delete it.
        QWindow *window = form->windowHandle();
        m_heldButtons.push_back({window, button});
        QTest::mousePress(window, button, Qt::NoModifier, at);
    }

    void sendRelease(app::Form *form, Qt::MouseButton button, QPoint at)
    {
        note(QStringLiteral("mouse release (%1 button)").arg(buttonName(button)),
             QStringLiteral("on %1 of %2")
                 .arg(describe(form->childAt(at)), form->metaObject()->className()));
        QTest::mouseRelease(form->windowHandle(), button, Qt::NoModifier, at);
        forgetButton(button);
    }

    bool pressMouse()
    {
        const std::vector<app::Form *> forms = clickableForms();
        if (forms.empty())
            return false;
        app::Form *form = pick(forms);
        const std::vector<QWidget *> buttons = buttonsOf(form);
        std::optional<QPoint> at;
        QString what = QStringLiteral("mouse press");
        if (!buttons.empty() && chance(0.75)) {
            QWidget *button = pick(buttons);
            // "Esci" ends the program: the walk chooses it now and then, not often.
            if (start() && button == start()->Option2(2) && !chance(0.1))
                return false;
            at = placeIn(form, button);
            what = QStringLiteral("mouse press on a button");
        } else {
            at = placeIn(form);
        }
        if (!at)
            return false;
        sendPress(form, anyMouseButton(), *at, what);
        return true;
    }

    bool releaseMouse()
    {
        const std::vector<app::Form *> forms = clickableForms();
        if (forms.empty())
            return false;
        app::Form *form = pick(forms);
        const std::optional<QPoint> at = placeIn(form);
        if (!at)
            return false;
        const Qt::MouseButton button =
            !m_heldButtons.empty() && chance(0.8) ? pick(m_heldButtons).second : anyMouseButton();
        sendRelease(form, button, *at);
        return true;
    }

    // A purposeful click: the pupil first lets go of any button still held.
    void click(app::Form *form, QWidget *button, const QString &what)
    {
        const QPointer<app::Form> alive(form);
        QPoint at = button->mapTo(form, button->rect().center());
        if (!QRect(QPoint(0, 0), form->windowHandle()->size()).contains(at)) {
            const std::optional<QPoint> reachable = placeIn(form, button);
            if (!reachable) {
                // The pupil puts the window back to see the button.
                note(QStringLiteral("restore a window to reach a button"), what);
                form->showNormal();
                return;
            }
            at = *reachable;
        }
        while (!m_heldButtons.empty() && alive)
            sendRelease(form, m_heldButtons.back().second, at);
        if (!alive)
            return;
        sendPress(form, Qt::LeftButton, at, what);
        if (alive)
            sendRelease(form, Qt::LeftButton, at);
        else
            forgetButton(Qt::LeftButton);
    }

    // A button let go over a window that is gone: no window hears of it.
    void forgetButton(Qt::MouseButton button)
    {
        std::erase_if(m_heldButtons, [button](const auto &held) { return held.second == button; });
        if (m_heldButtons.empty())
            m_grabber = nullptr;
    }

    // A while passes: each running timer ticks as often as its interval fits
    // in it, from a random phase, all in the order of time. The promises are
    // checked after every tick.
    bool letTimePass(int milliseconds)
    {
        enum Timer { Curtains, Bounce, Blink };
        std::vector<std::pair<int, Timer>> due;
        auto schedule = [&](const QTimer *timer, Timer which) {
            if (timer->isActive())
                for (int at = below(timer->interval()); at < milliseconds; at += timer->interval())
                    due.emplace_back(at, which);
        };
        if (const FrmInizio *form = start())
            schedule(form->timerTendine(), Curtains);
        if (const frmOperativo *form = exercise()) {
            schedule(form->Timer2(), Bounce);
            schedule(form->Timer3(), Blink);
        }
        if (due.empty())
            return false;
        std::stable_sort(due.begin(), due.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        note(QStringLiteral("time passes"), QStringLiteral("%1 ms").arg(milliseconds));
        for (const auto &[at, which] : due) {
            FrmInizio *startForm = start();
            frmOperativo *form = exercise();
            QString name;
            if (which == Curtains && startForm && startForm->timerTendine()->isActive()) {
                name = QStringLiteral("tick timerTendine");
                startForm->timerTendine_Timer();
            } else if (which == Bounce && form && form->Timer2()->isActive()) {
                name = QStringLiteral("tick Timer2");
                form->Timer2_Timer();
            } else if (which == Blink && form && form->Timer3()->isActive()) {
                name = QStringLiteral("tick Timer3");
                m_tickedBlink = true;
                ++m_blinkTicks;
                form->Timer3_Timer();
            } else {
                continue;
            }
            ++m_counts[QStringLiteral("event: ") + name];
            if (const QString problem = brokenPromise(); !problem.isEmpty()) {
                fail(QStringLiteral("%1 ms into the pass, %2: %3").arg(at).arg(name, problem));
                return true;
            }
            m_tickedBlink = false;
        }
        return true;
    }

    // Mostly the moments between two of the pupil's actions, now and then a pause.
    bool timePasses()
    {
        const int kind = below(20);
        const int milliseconds = kind < 14   ? 10 + below(190)
                                 : kind < 19 ? 200 + below(800)
                                             : 1000 + below(4000);
        return letTimePass(milliseconds);
    }

    bool resizeWindow()
    {
        const std::vector<app::Form *> forms = visibleForms();
        if (forms.empty())
            return false;
        app::Form *form = pick(forms);
        QSize size(below(kWidestResize + 1), below(kTallestResize + 1));
        if (chance(0.2))
            size = QSize(0, 0);
        else if (chance(0.1))
            size = QSize(below(3), below(3));
        note(size.isEmpty() ? QStringLiteral("resize to nothing") : QStringLiteral("resize"),
             QStringLiteral("%1 to %2x%3")
                 .arg(form->metaObject()->className())
                 .arg(size.width())
                 .arg(size.height()));
        form->resize(size);
        return true;
    }

    bool changeWindowState()
    {
        const std::vector<app::Form *> forms = visibleForms();
        if (forms.empty())
            return false;
        app::Form *form = pick(forms);
        const int what = below(4);
        const QString name = form->metaObject()->className();
        if (what == 0 || (what == 1 && !form->isMinimized())) {
            note(QStringLiteral("minimise"), name);
            form->showMinimized();
        } else if (what == 1) {
            note(QStringLiteral("restore"), name);
            form->showNormal();
        } else if (what == 2) {
            note(QStringLiteral("maximise"), name);
            form->showMaximized();
        } else {
            note(QStringLiteral("restore"), name);
            form->showNormal();
        }
        return true;
    }

    // As a pupil clicks a window's title: a blocked window hands it to the modal one.
    bool activateWindow()
    {
        std::vector<app::Form *> forms;
        for (app::Form *form : visibleForms())
            if (!blocked(form))
                forms.push_back(form);
        if (forms.empty())
            return false;
        app::Form *form = pick(forms);
        note(QStringLiteral("activate a window"), form->metaObject()->className());
        form->raise();
        form->activateWindow();
        return true;
    }

    bool chooseVai()
    {
        FrmInizio *form = start();
        if (!form || blocked(form) || form->isMinimized())
            return false;
        click(form, form->Option2(0), QStringLiteral("\"Vai\""));
        return true;
    }

    // The close box, which the window system does not offer to a window that
    // a modal window blocks.
    bool closeBox()
    {
        std::vector<app::Form *> forms;
        for (app::Form *form : visibleForms())
            if (!blocked(form))
                forms.push_back(form);
        if (forms.empty())
            return false;
        app::Form *form = pick(forms);
        // Closing the start window ends the program: now and then, not often.
        if (form == start() && !chance(0.15))
            return false;
        return closeByBox(form);
    }

    bool closeByBox(app::Form *form)
    {
        if (form == start()) {
            m_endAllowed = true;
            m_endExpected = true;
        }
        note(QStringLiteral("close box of ") + form->metaObject()->className());
        form->close();
        return true;
    }

    // The author window from the start window's menu "Autore".
    bool openAuthor()
    {
        FrmInizio *form = start();
        if (!form || blocked(form) || modalForm() || form->isMinimized())
            return false;
        note(QStringLiteral("menu \"Autore\""));
        const QPointer<FrmInizio> owner(form);
        m_openModal = [this, owner] {
            if (!owner || QGuiApplication::modalWindow())
                return;
            ++m_counts[QStringLiteral("state: author window opened")];
            owner->mnuInfo_Click();
        };
        return true;
    }

    // The instructions window from the exercise window's menu "Istruzioni".
    bool openInstructions()
    {
        frmOperativo *form = exercise();
        if (!form || blocked(form) || modalForm() || form->isMinimized())
            return false;
        note(QStringLiteral("menu \"Istruzioni\""));
        const QPointer<frmOperativo> owner(form);
        m_openModal = [this, owner] {
            if (!owner || QGuiApplication::modalWindow())
                return;
            ++m_counts[QStringLiteral("state: instructions window opened")];
            owner->mnuIstruzioni_Click();
        };
        return true;
    }

    // ---- a pupil's purpose: answer suns ---------------------------------

    bool pursue()
    {
        if (app::Form *modal = modalForm()) {
            if (chance(0.7)) {
                auto *button = modal->control<QPushButton>("Command1");
                click(modal, button, QStringLiteral("\"Chiudi\""));
                return true;
            }
            return closeByBox(modal);
        }
        if (frmOperativo *form = exercise())
            return bringForward(form) || answer(form);
        FrmInizio *form = start();
        return form && (bringForward(form) || openSun(form));
    }

    bool bringForward(app::Form *form)
    {
        if (form->isMinimized() || form->client()->width() < 50 || form->client()->height() < 50) {
            note(QStringLiteral("restore to the design size"), form->metaObject()->className());
            form->showNormal();
            form->resize(layout::twipsToPixels(form->definition().innerWidth),
                         layout::twipsToPixels(form->definition().innerHeight) +
                             form->client()->y());
            return true;
        }
        if (QGuiApplication::focusWindow() != form->windowHandle())
            return activateWindow(form);
        return false;
    }

    bool activateWindow(app::Form *form)
    {
        note(QStringLiteral("activate a window"), form->metaObject()->className());
        form->raise();
        form->activateWindow();
        return true;
    }

    bool openSun(FrmInizio *form)
    {
        if (form->focusWidget() == form->Option2(0)) {
            sendKey(form, {Qt::Key_Return}, QStringLiteral("ENTER on \"Vai\""));
            return true;
        }
        const int centre = below(start::kCentreCount);
        // The pupil waits for the curtains to open.
        if (form->timerTendine()->isActive())
            return letTimePass(100 + below(900));
        if (chance(0.5)) {
            click(form, form->Option1(centre), QStringLiteral("centre"));
            return true;
        }
        // A digit (or the numeric keypad's *) selects the centre; ENTER chooses it.
        for (int i = 0; i <= start::kCentreCount - 1; ++i)
            if (form->focusWidget() == form->Option1(i)) {
                sendKey(form, {Qt::Key_Return}, QStringLiteral("ENTER on a centre"));
                return true;
            }
        const Key key = centre < 10 ? Key{static_cast<Qt::Key>(Qt::Key_0 + centre)}
                                    : Key{Qt::Key_Asterisk, Qt::KeypadModifier};
        sendKey(form, key, QStringLiteral("centre key"));
        return true;
    }

    bool keypadCompleted(const frmOperativo *form) const
    {
        for (int i = 0; i < exercise::kKeypadCount; ++i)
            if (form->Option1(i)->isEnabled() !=
                (i == exercise::kNuovoSole || i == exercise::kEsco))
                return false;
        return true;
    }

    void pressKeypad(frmOperativo *form, int index, const QString &what)
    {
        if (form->focusWidget() == form->Option1(index) && chance(0.5))
            sendKey(form, {Qt::Key_Return}, what + QStringLiteral(" by ENTER"));
        else
            click(form, form->Option1(index), what);
    }

    bool answer(frmOperativo *form)
    {
        const exercise::Stato &state = form->esercizio().stato();
        if (state.RaggioCorrente >= exercise::kRayCount) {
            // The pupil watches the celebration a while: blink and bounce.
            if ((!keypadCompleted(form) || chance(0.6)) && form->Timer3()->isActive()) {
                letTimePass(kBlinkEvery + below(kBlinkEvery));
            } else if (chance(0.1)) {
                pressKeypad(form, exercise::kEsco, QStringLiteral("\"Esco\""));
            } else {
                pressKeypad(form, exercise::kNuovoSole, QStringLiteral("\"Nuovo sole\""));
            }
            return true;
        }
        const int ray = state.RaggioCorrente;
        const QString now = form->lblRisultato(ray)->caption();
        const QString right = QString::number(state.Somme.at(static_cast<size_t>(ray)));
        if (now == QStringLiteral("?") && (m_planRay != ray || m_plan == now)) {
            m_planRay = ray;
            m_plan = chance(kWrongAnswer) ? QString::number(1 + below(30)) : right;
        }
        if (m_planRay != ray || !m_plan.startsWith(now == QStringLiteral("?") ? QString() : now)) {
            m_planRay = ray;
            m_plan = right;
        }
        if (now == m_plan) {
            QWidget *avanti = form->Option1(exercise::kAvanti);
            if (!avanti->isEnabled()) {
                sendKey(form, {Qt::Key_Backspace}, QStringLiteral("BACKSPACE"));
            } else if (form->focusWidget() == avanti || chance(0.5)) {
                pressKeypad(form, exercise::kAvanti, QStringLiteral("\"Avanti\""));
                m_plan = QStringLiteral("?"); // the next "?" of this ray draws a new plan
            } else {
                sendKey(form, {Qt::Key_A}, QStringLiteral("A"));
            }
            return true;
        }
        if (now == QStringLiteral("?") || m_plan.startsWith(now)) {
            const int digit = m_plan.at(now == QStringLiteral("?") ? 0 : now.size()).digitValue();
            const int way = below(3);
            if (way == 0)
                sendKey(form, {static_cast<Qt::Key>(Qt::Key_0 + digit)}, QStringLiteral("digit"));
            else if (way == 1)
                sendKey(form, {static_cast<Qt::Key>(Qt::Key_0 + digit), Qt::KeypadModifier},
                        QStringLiteral("keypad digit"));
            else
                click(form, form->Option1(digit), QStringLiteral("digit button"));
            return true;
        }
        if (chance(0.5))
            sendKey(form, {Qt::Key_Backspace}, QStringLiteral("BACKSPACE"));
        else
            sendKey(form, {Qt::Key_C}, QStringLiteral("C"));
        return true;
    }

    // ---- promises ----------------------------------------------------------

    void checkPromises()
    {
        const QString problem = brokenPromise();
        if (!problem.isEmpty())
            fail(problem);
    }

    QString brokenPromise()
    {
        int loaded = 0;
        for (const app::Form *form : loadedForms()) {
            ++loaded;
            if (!form->isVisible())
                return QStringLiteral("%1 is loaded but not shown")
                    .arg(form->metaObject()->className());
        }
        if (loaded != app::loadedWindowCount())
            return QStringLiteral("%1 windows loaded, but the window model counts %2")
                .arg(loaded)
                .arg(app::loadedWindowCount());
        if (!start())
            return QStringLiteral("the start window is gone, yet the program did not end");
        if (author() && instructions())
            return QStringLiteral("the author and the instructions windows are open together");
        if (const app::Form *modal = modalForm();
            modal && QGuiApplication::modalWindow() != modal->windowHandle())
            return QStringLiteral("%1 is open but not modal").arg(modal->metaObject()->className());
        if (QString problem = startPromise(*start()); !problem.isEmpty())
            return problem;
        if (const frmOperativo *form = exercise())
            return exercisePromise(*form);
        return {};
    }

    QString bankPromise(const input::ButtonBank &bank, const QString &name)
    {
        const input::BankButton *coloured = nullptr;
        for (int i = 0; i < bank.count(); ++i) {
            const input::BankButton *button = bank.button(i);
            if (button->backColour() == input::kFocusColour) {
                if (coloured)
                    return QStringLiteral("%1: both %2 and %3 show the focus colour")
                        .arg(name, coloured->objectName(), button->objectName());
                coloured = button;
            } else if (button->backColour() != input::kRestColour) {
                return QStringLiteral("%1: %2 shows %3, neither the focus nor the rest colour")
                    .arg(name, button->objectName(), button->backColour().name());
            }
        }
        const QWidget *window = bank.button(0)->window();
        if (QApplication::activeWindow() != window)
            return {};
        const QWidget *focused = window->focusWidget();
        const auto *focusedButton = qobject_cast<const input::BankButton *>(focused);
        if (coloured && coloured != focused)
            return QStringLiteral("%1: %2 shows the focus colour, but the focus is on %3")
                .arg(name, coloured->objectName(), describe(focused));
        if (focusedButton && focusedButton->bank() == &bank && coloured != focused)
            return QStringLiteral("%1: the focused %2 shows the rest colour")
                .arg(name, focused->objectName());
        return {};
    }

    QString startPromise(FrmInizio &form)
    {
        if (QString problem = bankPromise(*form.centreBank(), QStringLiteral("centre buttons"));
            !problem.isEmpty())
            return problem;
        if (QString problem = bankPromise(*form.commandBank(), QStringLiteral("commands"));
            !problem.isEmpty())
            return problem;
        for (const layout::Frame *curtain : {form.Picture1(), form.Picture2()})
            if (const double width = layout::geometryTwips(curtain).width(); width < 0)
                return QStringLiteral("%1 is %2 twips wide").arg(curtain->objectName()).arg(width);
        constexpr double kOpenCurtain = 10; // twips
        if (const double width = layout::geometryTwips(form.Picture1()).width();
            !form.timerTendine()->isActive() && width > kOpenCurtain)
            return QStringLiteral("the curtain timer stopped with the left curtain %1 twips wide")
                .arg(width);
        const int centre = form.esercizio().stato().NumeroCentrale;
        if (centre < 0 || centre >= start::kCentreCount)
            return QStringLiteral("the centre is %1").arg(centre);
        const QString label = form.Label1()->caption();
        if (!label.isEmpty() && label != FrmInizio::nomeSole(centre))
            return QStringLiteral("Label1 reads \"%1\" for centre %2").arg(label).arg(centre);
        return {};
    }

    QString sunPromise(const frmOperativo &form)
    {
        const exercise::Stato &state = form.esercizio().stato();
        bool ok = false;
        const int centre = form.Label1()->caption().toInt(&ok);
        if (!ok || centre < 0 || centre >= start::kCentreCount)
            return QStringLiteral("the centre reads \"%1\"").arg(form.Label1()->caption());
        std::array<bool, 11> used{};
        for (int i = 0; i < exercise::kRayCount; ++i) {
            const int addend = state.Addendi.at(static_cast<size_t>(i));
            if (addend < 1 || addend > 10)
                return QStringLiteral("ray %1 has the addend %2").arg(i).arg(addend);
            if (used.at(static_cast<size_t>(addend)))
                return QStringLiteral("the addend %1 stands on two rays").arg(addend);
            used.at(static_cast<size_t>(addend)) = true;
            if (form.Label2(i)->caption() != QString::number(addend))
                return QStringLiteral("ray %1 shows \"%2\" for the addend %3")
                    .arg(i)
                    .arg(form.Label2(i)->caption())
                    .arg(addend);
            if (state.Somme.at(static_cast<size_t>(i)) != centre + addend)
                return QStringLiteral("ray %1 expects %2 for %3 + %4")
                    .arg(i)
                    .arg(state.Somme.at(static_cast<size_t>(i)))
                    .arg(centre)
                    .arg(addend);
        }
        return {};
    }

    QString raysPromise(const frmOperativo &form)
    {
        const exercise::Stato &state = form.esercizio().stato();
        const int current = state.RaggioCorrente;
        if (current < 0 || current > exercise::kRayCount)
            return QStringLiteral("the current ray is %1").arg(current);
        if (current == exercise::kRayCount && !state.VerificaAvviata)
            return QStringLiteral("past the last ray without a check");
        for (int k = 0; k < exercise::kRayCount; ++k) {
            const QString result = form.lblRisultato(k)->caption();
            if (!kResultText.match(result).hasMatch())
                return QStringLiteral("result %1 holds \"%2\"").arg(k).arg(result);
            const bool revealed = state.VerificaAvviata || k <= current;
            if (form.lblSegno(k)->isHidden() == revealed ||
                form.lblUguale(k)->isHidden() == revealed)
                return QStringLiteral("ray %1 %2 its signs")
                    .arg(k)
                    .arg(revealed ? "hides" : "shows");
            if (!revealed && !result.isEmpty())
                return QStringLiteral("the hidden ray %1 holds \"%2\"").arg(k).arg(result);
            if (k == current && result.isEmpty())
                return QStringLiteral("the current result %1 is empty").arg(k);
        }
        return {};
    }

    QString keypadPromise(const frmOperativo &form)
    {
        const exercise::Stato &state = form.esercizio().stato();
        const bool celebrating = state.RaggioCorrente == exercise::kRayCount;
        if (form.Timer2()->isActive() != celebrating || form.Timer3()->isActive() != celebrating)
            return QStringLiteral("Timer2 %1 and Timer3 %2 at ray %3")
                .arg(form.Timer2()->isActive() ? "runs" : "stops")
                .arg(form.Timer3()->isActive() ? "runs" : "stops")
                .arg(state.RaggioCorrente);
        const bool completed = celebrating && m_blinkTicks > 0;
        QString enabled;
        for (int i = 0; i < exercise::kKeypadCount; ++i)
            enabled += form.Option1(i)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        // "0".."9" and "Cancella" on, "Nuovo sole" and "Esco" off; "Avanti" either,
        // except just after a check found all right, before the first blink.
        static const QRegularExpression entry(QStringLiteral("^11111111111[01]00$"));
        static const QRegularExpression checked(QStringLiteral("^11111111111000$"));
        static const QRegularExpression finished(QStringLiteral("^00000000000011$"));
        const QRegularExpression &expected = completed ? finished : celebrating ? checked : entry;
        if (!expected.match(enabled).hasMatch())
            return QStringLiteral("keypad enabled %1 in the %2 state")
                .arg(enabled, completed     ? QStringLiteral("completed")
                              : celebrating ? QStringLiteral("checked, not yet blinked")
                                            : QStringLiteral("entry"));
        if (m_tickedBlink && !blocked(&form) &&
            form.focusWidget() != form.Option1(exercise::kNuovoSole))
            return QStringLiteral("after a blink the focus is on %1, not on \"Nuovo sole\"")
                .arg(describe(form.focusWidget()));
        return {};
    }

    // A disc turns in the tick that takes it past the panel's top or bottom,
    // so it never strays beyond by more than one step.
    QString discsPromise(const frmOperativo &form)
    {
        const exercise::Stato &state = form.esercizio().stato();
        constexpr int kLongestStep = 31;
        for (int i = 0; i < exercise::kDiscCount; ++i) {
            const int top = form.Frame2Top(i);
            const int lowest = form.Picture11Height() - form.Frame2Height(i);
            if (top < std::min(0, lowest) - kLongestStep ||
                top > std::max(0, lowest) + kLongestStep)
                return QStringLiteral("disc %1 stands at %2 twips in a panel with room for %3")
                    .arg(i)
                    .arg(top)
                    .arg(lowest);
            const int step = state.PassoRimbalzo.at(static_cast<size_t>(i));
            if (step == 0 || step > kLongestStep || step < -kLongestStep)
                return QStringLiteral("disc %1 moves by %2").arg(i).arg(step);
        }
        return {};
    }

    QString exercisePromise(const frmOperativo &form)
    {
        for (QString problem :
             {sunPromise(form), raysPromise(form), keypadPromise(form),
              bankPromise(*form.keypad(), QStringLiteral("keypad")), discsPromise(form)})
            if (!problem.isEmpty())
                return problem;
        return {};
    }

    // ---- what the walk reached ---------------------------------------------

    void countStates()
    {
        const frmOperativo *form = exercise();
        auto reached = [this](const char *name) { ++m_counts[QStringLiteral("state: ") + name]; };
        if (form && !m_exerciseWasOpen)
            reached("exercise window opened");
        m_exerciseWasOpen = form != nullptr;
        if (author())
            reached("steps with the author window open");
        if (instructions())
            reached("steps with the instructions window open");
        if (const FrmInizio *startForm = start()) {
            if (startForm->timerTendine()->isActive())
                reached("steps with the curtains opening");
            if (startForm->isMinimized())
                reached("steps with the start window minimised");
        }
        if (!form) {
            m_lastRay = -1;
            return;
        }
        if (form->isMinimized())
            reached("steps with the exercise window minimised");
        if (form->client()->width() == 0 || form->client()->height() == 0)
            reached("steps with the exercise window's inner area empty");
        const exercise::Stato &state = form->esercizio().stato();
        const int ray = state.RaggioCorrente;
        if (ray == exercise::kRayCount && m_lastRay >= 0 && m_lastRay < exercise::kRayCount)
            reached("suns completed");
        if (ray < exercise::kRayCount && m_lastRay == exercise::kRayCount)
            reached("new suns after a completed one");
        if (state.VerificaAvviata && ray < exercise::kRayCount) {
            reached("steps correcting a wrong result");
            if (m_errors != state.ContatoreErrori)
                reached("checks that found a wrong result");
        }
        if (ray == exercise::kRayCount)
            reached(m_blinkTicks > 0 ? "steps in the completed state (blinking)"
                                     : "steps between a full check and its first blink");
        m_lastRay = ray;
        m_errors = state.ContatoreErrori;
    }

    const quint64 m_seed;
    const qint64 m_steps;
    std::mt19937_64 m_random;
    // The seeds of the suns, one drawn at every sun.
    std::mt19937 m_sunSeeds;
    QTimer m_driver;
    QList<QPointer<QWidget>> m_unpainted;
    bool m_painting = false;
    QEventLoop *m_loop = nullptr;
    qint64 m_step = 0;
    bool m_finished = false;
    QString m_failure;
    std::map<QString, qint64> m_counts;
    std::deque<QString> m_trail;

    bool m_purposeful = false;
    int m_moodLeft = 0;

    bool m_ended = false;
    bool m_endAllowed = false;
    bool m_endExpected = false;
    std::function<void()> m_openModal;
    bool m_modalPending = false;

    std::optional<Key> m_heldKey;
    QPointer<QWindow> m_heldKeyWindow;
    std::vector<std::pair<QPointer<QWindow>, Qt::MouseButton>> m_heldButtons;
    QPointer<QWidget> m_grabber;

    // Blink ticks since the current sun was found all right.
    int m_blinkTicks = 0;
    bool m_tickedBlink = false;
    int m_planRay = -1;
    QString m_plan;

    bool m_exerciseWasOpen = false;
    int m_lastRay = -1;
    std::int16_t m_errors = 0;
};

class SoakTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // As in the program: the last window closing does not end the event loop.
        QApplication::setQuitOnLastWindowClosed(false);
        for (int signal : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL})
            std::signal(signal, onFatalSignal);
#if defined(__SANITIZE_ADDRESS__)
        __sanitizer_set_death_callback(reportReplay);
#endif
    }

    void randomWalkKeepsEveryPromise()
    {
        const quint64 seed = seedFromEnvironment();
        const qint64 steps = stepsFromEnvironment();
        Walk walk(seed, steps);
        walk.run();
        std::fputs(qPrintable(walk.report()), stdout);
        if (!walk.failure().isEmpty())
            QFAIL(qPrintable(walk.failure()));

        if (steps < kStepsForCoverage)
            return;
        // THEN the walk went everywhere a pupil can go
        for (const char *reached :
             {"state: suns completed", "state: new suns after a completed one",
              "state: checks that found a wrong result", "state: author window opened",
              "state: instructions window opened", "state: program ended",
              "state: exercise window opened", "state: steps with the exercise window minimised",
              "state: steps in the completed state (blinking)",
              "state: steps between a full check and its first blink", "event: tick timerTendine",
              "event: tick Timer2", "event: tick Timer3", "event: resize to nothing",
              "event: held key: auto-repeat"})
            QVERIFY2(walk.count(QString::fromLatin1(reached)) > 0, reached);
    }
};

// A replay runs the binary by hand: the walk is made for the offscreen platform.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_FONT_DPI"))
        qputenv("QT_FONT_DPI", "96");
    QApplication application(argc, argv);
    application.setAttribute(Qt::AA_Use96Dpi, true);
    SoakTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_soak.moc"
