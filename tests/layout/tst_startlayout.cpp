#include <QTest>
#include <QTimer>
#include <chrono>

#include "LayoutSupport.h"
#include "start/StartSupport.h"
#include "TestSupport.h"
#include "app/Windows.h"
#include "input/BankButton.h"
#include "layout/ControlBuilder.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"

namespace {

// The tests tick the curtain timer themselves: its own ticks would come too
// far apart to interfere.
constexpr std::chrono::hours kNoOwnTicks{1};
constexpr int kCurtainStep = 75;
constexpr int kMaxTicks = 1000;
constexpr int kOpeningTimeoutMs = 20000;

double curtainWidth(const layout::Frame *curtain)
{
    return layout::geometryTwips(curtain).width();
}

bool setOuterWidth(app::Form *window, int pixels)
{
    window->resize(pixels - (window->frameGeometry().width() - window->width()), window->height());
    return window->frameGeometry().width() == pixels;
}

// Ticks until the curtain timer stops; returns the number of ticks.
int tickUntilOpen(FrmInizio *window)
{
    int ticks = 0;
    while (window->timerTendine()->isActive() && ticks < kMaxTicks) {
        window->timerTendine_Timer();
        ++ticks;
    }
    return ticks;
}

} // namespace

class StartLayoutTest : public QObject
{
    Q_OBJECT

private:
    FrmInizio *show(bool ownTicks = false)
    {
        FrmInizio *window = app::Load<FrmInizio>();
        if (!ownTicks)
            window->timerTendine()->setInterval(kNoOwnTicks);
        app::Show<FrmInizio>();
        return window;
    }

    FrmInizio *showActive()
    {
        FrmInizio *window = show();
        return QTest::qWaitForWindowActive(window) ? window : nullptr;
    }

    // Both curtains closed at half the outer width, docked at their edges,
    // full height, and the opening started.
    static void verifyCurtainsClosed(FrmInizio *window)
    {
        const double half = window->outerWidthTwips() / 2.0;
        QCOMPARE(curtainWidth(window->Picture1()), half);
        QCOMPARE(curtainWidth(window->Picture2()), half);
        QVERIFY(window->timerTendine()->isActive());
        const QWidget *client = window->client();
        const QRect left = window->Picture1()->geometry();
        const QRect right = window->Picture2()->geometry();
        QCOMPARE(left.topLeft(), QPoint(0, 0));
        QCOMPARE(right.top(), 0);
        QCOMPARE(right.right(), client->width() - 1);
        QCOMPARE(left.height(), client->height());
        QCOMPARE(right.height(), client->height());
        QVERIFY(left.right() + 1 >= right.left());
    }

private Q_SLOTS:
    void cleanup()
    {
        app::Unload<FrmInizio>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void curtainsCloseOverEverythingAtFirstShow()
    {
        FrmInizio *window = app::Load<FrmInizio>();
        QVERIFY(!window->timerTendine()->isActive());
        QCOMPARE(curtainWidth(window->Picture1()), 120.0);
        QCOMPARE(curtainWidth(window->Picture2()), 228.0);

        window = show();
        verifyCurtainsClosed(window);
        for (const input::BankButton *button : {window->Option1(7), window->Option2(0)}) {
            const QPoint centre = button->mapTo(window->client(), button->rect().center());
            QVERIFY(window->client()->childAt(centre) == window->Picture2());
        }
        const QWidget *image = window->control<QWidget>("Image1");
        QVERIFY(window->client()->childAt(image->geometry().center()) == window->Picture1());
    }

    void curtainsOpenByThemselves()
    {
        FrmInizio *window = show(true);
        TRY_VERIFY_WITHIN(!window->timerTendine()->isActive(), kOpeningTimeoutMs);
        QVERIFY(curtainWidth(window->Picture1()) <= 10);
        QCOMPARE(window->Picture1()->width(), 0);
        QCOMPARE(window->Picture2()->width(), 0);
        QVERIFY(window->control<QWidget>("frame1")->isEnabled());
    }

    void openingEndsWithTheTimerStopped_data()
    {
        QTest::addColumn<int>("outerPixels");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<double>("finalWidth");
        QTest::newRow("half a multiple of 75") << 800 << 80 << 0.0;
        QTest::newRow("last step would go below zero") << 793 << 80 << 0.0;
        QTest::newRow("last step leaves 10 twips or less") << 801 << 80 << 7.5;
        QTest::newRow("narrow window") << 9 << 1 << 0.0;
    }

    void openingEndsWithTheTimerStopped()
    {
        QFETCH(int, outerPixels);
        QFETCH(int, ticks);
        QFETCH(double, finalWidth);
        FrmInizio *window = show();
        QWidget *frame1 = window->control<QWidget>("frame1");
        QVERIFY(setOuterWidth(window, outerPixels));
        verifyCurtainsClosed(window);
        frame1->setEnabled(false);

        const double half = outerPixels * layout::kTwipsPerPixel / 2.0;
        for (int tick = 1; tick < ticks; ++tick) {
            window->timerTendine_Timer();
            QCOMPARE(curtainWidth(window->Picture1()), half - tick * kCurtainStep);
            QCOMPARE(curtainWidth(window->Picture2()), half - tick * kCurtainStep);
        }
        QVERIFY(window->timerTendine()->isActive());
        QVERIFY(!frame1->isEnabled());

        window->timerTendine_Timer();
        QVERIFY(!window->timerTendine()->isActive());
        QCOMPARE(curtainWidth(window->Picture1()), finalWidth);
        QCOMPARE(curtainWidth(window->Picture2()), finalWidth);
        QCOMPARE(window->Picture2()->geometry().right(), window->client()->width() - 1);
        QVERIFY(frame1->isEnabled());
    }

    void everyChangeOfSizeClosesTheCurtainsAgain()
    {
        FrmInizio *window = show();
        for (int tick = 0; tick < 20; ++tick)
            window->timerTendine_Timer();

        // A resize in the middle of the opening starts it again from the new width.
        QVERIFY(setOuterWidth(window, 700));
        verifyCurtainsClosed(window);
        QCOMPARE(curtainWidth(window->Picture1()), 700 * 15 / 2.0);
        QVERIFY(tickUntilOpen(window) < kMaxTicks);

        window->showMinimized();
        QVERIFY(window->timerTendine()->isActive());
        QCOMPARE(curtainWidth(window->Picture1()), window->outerWidthTwips() / 2.0);
        QVERIFY(tickUntilOpen(window) < kMaxTicks);

        window->showNormal();
        verifyCurtainsClosed(window);
        QVERIFY(tickUntilOpen(window) < kMaxTicks);

        const QSize normal = window->client()->size();
        window->showMaximized();
        TRY_VERIFY(window->client()->size() != normal);
        verifyCurtainsClosed(window);
    }

    void keyboardChoiceWorksWhileTheCurtainsAreClosed()
    {
        FrmInizio *window = showActive();
        QVERIFY(window);
        QVERIFY(window->timerTendine()->isActive());
        TRY_VERIFY(window->Option1(0)->hasFocus());

        testing::key(window, Qt::Key_7);
        testing::key(window, Qt::Key_Return);
        QCOMPARE(window->Label1()->caption(), QStringLiteral("Sole del 7"));
        QVERIFY(window->Option2(0)->hasFocus());
        QCOMPARE(curtainWidth(window->Picture1()), window->outerWidthTwips() / 2.0);
    }

    void mousePressOnACurtainDoesNothing()
    {
        FrmInizio *window = showActive();
        QVERIFY(window);

        testing::click(window->Option1(7));
        QVERIFY(window->Label1()->caption().isEmpty());
        QCOMPARE(testing::chosenCentre(), 0);

        // WHEN the curtains have opened, the same press chooses the centre.
        QVERIFY(tickUntilOpen(window) < kMaxTicks);
        testing::click(window->Option1(7));
        QCOMPARE(window->Label1()->caption(), QStringLiteral("Sole del 7"));
        QCOMPARE(testing::chosenCentre(), 7);
    }

    void everyControlKeepsItsProportion_data()
    {
        QTest::addColumn<int>("xFactor");
        QTest::addColumn<int>("yFactor");
        QTest::newRow("design size") << 1 << 1;
        QTest::newRow("double width") << 2 << 1;
        QTest::newRow("double height") << 1 << 2;
    }

    void everyControlKeepsItsProportion()
    {
        QFETCH(int, xFactor);
        QFETCH(int, yFactor);
        FrmInizio *window = show();
        const layout::WindowDef &def = window->definition();
        QVERIFY(testing::setInnerSize(window, layout::twipsToPixels(def.innerWidth) * xFactor,
                                      layout::twipsToPixels(def.innerHeight) * yFactor));
        const QString mismatch = testing::scaledLayoutMismatch(window, xFactor, yFactor);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        verifyCurtainsClosed(window);
    }
};

QTEST_MAIN(StartLayoutTest)
#include "tst_startlayout.moc"
