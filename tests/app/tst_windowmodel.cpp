// The window model, on small windows made for the test: the order of the
// load, resize, activate and unload events, one instance per window class,
// modal showing with its nested loop, and unloading from inside a handler.

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <array>

#include "TestSupport.h"
#include "app/Windows.h"
#include "layout/Controls.h"

namespace {

using namespace layout;

constexpr int kTicksBeforeClosing = 3;

constexpr std::array kControls{
    ControlDef{.name = "Ticker", .kind = Kind::Timer, .enabled = false, .interval = 1},
    ControlDef{.name = "Caption",
               .kind = Kind::Label,
               .left = 150,
               .top = 150,
               .width = 2400,
               .height = 300,
               .caption = "come definito"},
    ControlDef{.name = "Button",
               .kind = Kind::CommandButton,
               .left = 150,
               .top = 600,
               .width = 2400,
               .height = 450,
               .caption = "Chiudi"},
};

constexpr WindowDef kDefinition{
    .caption = "Prova",
    .innerWidth = 3000,
    .innerHeight = 1800,
    .controls = kControls,
};

QStringList g_events;

// A window that writes its events into g_events, and unloads itself when its
// button is pressed.
template <int N> class Probe : public app::Form
{
public:
    Probe() : app::Form(kDefinition)
    {
        connect(control<QPushButton>("Button"), &QPushButton::pressed, this, [this] {
            app::Unload<Probe<N>>();
            // The window must outlive the handler that unloaded it.
            note(isVisible() ? "pressed, still shown" : "pressed, hidden");
        });
    }
    static QString name() { return QStringLiteral("W%1").arg(N); }
    void Form_Load() override { note(isVisible() ? "load (visible)" : "load"); }
    void Form_Resize() override { note("resize"); }
    void Form_Activate() override { note("activate"); }
    void Form_Unload() override { note("unload"); }

private:
    static void note(const char *event) { g_events << name() + QLatin1Char(' ') + event; }
};

using A = Probe<1>;
using B = Probe<2>;
using Modal = Probe<3>;

template <class W> W *showAndWait()
{
    app::Show<W>();
    W *window = app::Loaded<W>();
    return window && QTest::qWaitForWindowActive(window) ? window : nullptr;
}

} // namespace

class WindowModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { g_events.clear(); }

    void cleanup()
    {
        app::setOnAllUnloaded({});
        app::Unload<A>();
        app::Unload<B>();
        app::Unload<Modal>();
        testing::flushDeletes();
    }

    void eventsRunLoadResizeActivateThenUnload()
    {
        app::Load<A>();
        QCOMPARE(g_events, QStringList{"W1 load"});

        QVERIFY(showAndWait<A>());
        QCOMPARE(g_events, (QStringList{"W1 load", "W1 resize", "W1 activate"}));

        app::Unload<A>();
        QCOMPARE(g_events.last(), QStringLiteral("W1 unload"));
        QVERIFY(!app::Loaded<A>());
    }

    void loadingTwiceRunsLoadOnceAndReloadingStartsFromTheDefinition()
    {
        A *first = app::Load<A>();
        QCOMPARE(app::Load<A>(), first);
        QCOMPARE(g_events, QStringList{"W1 load"});

        // WHEN the window is changed, unloaded and loaded again
        first->control<QLabel>("Caption")->setText(QStringLiteral("cambiato"));
        first->control<QPushButton>("Button")->setEnabled(false);
        app::Unload<A>();
        testing::flushDeletes();
        QVERIFY(!app::Loaded<A>());
        A *second = app::Load<A>();

        // THEN its controls are as defined and its load handler ran again
        QCOMPARE(second->control<QLabel>("Caption")->text(), QStringLiteral("come definito"));
        QVERIFY(second->control<QPushButton>("Button")->isEnabled());
        QCOMPARE(g_events, (QStringList{"W1 load", "W1 unload", "W1 load"}));
    }

    void modalShowWaitsInANestedLoopWhileTimersTick()
    {
        A *owner = showAndWait<A>();
        QVERIFY(owner);
        g_events.clear();

        int ticks = 0;
        bool ownerTookInput = false;
        app::Load<Modal>();
        QTimer *ticker = app::Loaded<Modal>()->control<QTimer>("Ticker");
        connect(ticker, &QTimer::timeout, this, [&] {
            if (++ticks < kTicksBeforeClosing)
                return;
            // The window under the modal one takes no input meanwhile.
            testing::press(owner->control<QPushButton>("Button"));
            ownerTookInput = !app::Loaded<A>();
            app::Unload<Modal>();
        });
        ticker->start();
        QTimer::singleShot(testing::kEventTimeoutMs, this, [] { app::Unload<Modal>(); });

        app::Show<Modal>(app::Modality::Modal);

        QCOMPARE(ticks, kTicksBeforeClosing);
        QVERIFY(!ownerTookInput);
        QVERIFY(!app::Loaded<Modal>());
        // Closing the modal window returns to its owner, which is activated again.
        TRY_COMPARE(g_events.last(), QStringLiteral("W1 activate"));

        QVERIFY(g_events.contains(QStringLiteral("W3 unload")));
    }

    void activateRunsOnReturnFromAnotherWindowOfTheProgramOnly()
    {
        A *a = showAndWait<A>();
        QVERIFY(a);
        QVERIFY(showAndWait<B>());
        g_events.clear();

        // WHEN the other window closes THEN the one beneath is activated again
        app::Unload<B>();
        TRY_COMPARE(g_events, (QStringList{"W2 unload", "W1 activate"}));

        // WHEN the pupil comes back from a window that is not the program's
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        a->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(a));
        // THEN no activate event runs
        QCOMPARE(g_events, (QStringList{"W2 unload", "W1 activate"}));

        // WHEN the pupil goes to another window of the program and back
        QVERIFY(showAndWait<B>());
        a->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(a));
        QCOMPARE(g_events.last(), QStringLiteral("W1 activate"));

        // WHEN a window closes while the pupil is in another program
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        app::Unload<B>();
        QCoreApplication::processEvents();
        // THEN that program keeps the focus
        QVERIFY(elsewhere.isActiveWindow());
    }

    void showingAVisibleWindowBringsItBackWithoutReloading()
    {
        A *a = showAndWait<A>();
        QVERIFY(showAndWait<B>());
        app::Show<A>();
        QVERIFY(QTest::qWaitForWindowActive(a));
        QCOMPARE(app::Loaded<A>(), a);
        QCOMPARE(g_events.count(QStringLiteral("W1 load")), 1);
        QCOMPARE(g_events.last(), QStringLiteral("W1 activate"));
    }

    void unloadingFromItsOwnPressHandlerDestroysItAfterwards()
    {
        A *a = showAndWait<A>();
        QVERIFY(a);
        QPointer<A> window = a;

        testing::press(a->control<QPushButton>("Button"));
        QVERIFY(!app::Loaded<A>());
        QCOMPARE(g_events.mid(g_events.size() - 2),
                 (QStringList{"W1 unload", "W1 pressed, hidden"}));

        testing::flushDeletes();
        QVERIFY(!window);
    }

    void theCloseBoxUnloads()
    {
        A *a = showAndWait<A>();
        QVERIFY(a);
        a->windowHandle()->close();
        QCOMPARE(g_events.last(), QStringLiteral("W1 unload"));
        QVERIFY(!app::Loaded<A>());
    }

    void theLastUnloadRunsTheEndHookOnce()
    {
        int ends = 0;
        app::setOnAllUnloaded([&ends] { ++ends; });
        const int before = app::loadedWindowCount();
        app::Load<A>();
        app::Load<B>();
        QCOMPARE(app::loadedWindowCount(), before + 2);

        app::Unload<A>();
        QCOMPARE(ends, 0);
        app::Unload<B>();
        app::Unload<B>();
        app::Unload<Modal>();
        QCOMPARE(ends, before == 0 ? 1 : 0);
        QCOMPARE(app::loadedWindowCount(), before);
    }
};

QTEST_MAIN(WindowModelTest)
#include "tst_windowmodel.moc"
