// What the random walk found, each pinned down as a plain test: the focus
// colour after a return to the start window, and the bouncing discs of an
// exercise window that is larger than designed.

#include <QTest>
#include <QTimer>

#include "TestSupport.h"
#include "app/Windows.h"
#include "exercise/Esercizio.h"
#include "exercise/ExerciseSupport.h"
#include "exercise/frmOperativo.h"
#include "exercise/frmOperativoDef.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"
#include "start/StartSupport.h"

namespace {

// Two minutes of celebration at 50 milliseconds a tick.
constexpr int kBounceTicks = 2400;
constexpr int kLongestStep = 31; // twips: the largest step, 30, complemented

QList<QString> focusColoured(const input::ButtonBank &bank)
{
    QList<QString> names;
    for (int i = 0; i < bank.count(); ++i)
        if (bank.button(i)->backColour() == input::kFocusColour)
            names.append(bank.button(i)->objectName());
    return names;
}

} // namespace

class FindingsTest : public QObject
{
    Q_OBJECT

    exercise::Esercizio m_esercizio;
    const exercise::Stato &stato() const { return m_esercizio.stato(); }

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void cleanup()
    {
        app::Unload<frmOperativo>();
        app::Unload<FrmInizio>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void backOnTheStartWindowOnlyCentreZeroIsHighlighted()
    {
        FrmInizio *start = testing::openStartWindow();
        QVERIFY(start);
        testing::key(start, Qt::Key_7);
        testing::key(start, Qt::Key_Return); // the focus waits on "Vai"
        testing::key(start, Qt::Key_Return);
        frmOperativo *exercise = app::Loaded<frmOperativo>();
        QVERIFY(exercise);
        QVERIFY(QTest::qWaitForWindowActive(exercise));

        // WHEN the pupil closes the exercise and comes back to the start window
        exercise->close();
        start->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(start));

        // THEN the focus is on "0", and "Vai" has lost its highlight
        QVERIFY(start->Option1(0)->hasFocus());
        QCOMPARE(focusColoured(*start->centreBank()), QList<QString>{"Option1_0"});
        QCOMPARE(focusColoured(*start->commandBank()), QList<QString>{});
    }

    void discsStayInTheirPanel_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("design size") << 1.0;
        QTest::newRow("a tenth larger") << 1.1;
        QTest::newRow("a quarter larger") << 1.25;
        QTest::newRow("three quarters larger") << 1.75;
        QTest::newRow("twice as large") << 2.0;
        QTest::newRow("a quarter smaller") << 0.75;
    }

    void discsStayInTheirPanel()
    {
        QFETCH(double, scale);
        app::Load<frmOperativo>(m_esercizio);
        app::Show<frmOperativo>();
        frmOperativo *window = app::Loaded<frmOperativo>();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QSize design(layout::twipsToPixels(window->definition().innerWidth),
                           layout::twipsToPixels(window->definition().innerHeight));
        const QSize outer = window->size() - window->client()->size();
        window->resize(outer + design * scale);
        TRY_COMPARE(window->client()->size(), design * scale);

        // WHEN a sun is found all right and the celebration runs two minutes
        testing::answerAllRight(window->esercizio());
        QVERIFY(window->Timer2()->isActive());

        // THEN every disc turns within one step of the panel's top and bottom
        for (int tick = 1; tick <= kBounceTicks; ++tick) {
            window->Timer2_Timer();
            for (int i = 0; i < exercise::kDiscCount; ++i) {
                const int room = window->Picture11Height() - window->Frame2Height(i);
                const int top = window->Frame2Top(i);
                if (top < std::min(0, room) - kLongestStep ||
                    top > std::max(0, room) + kLongestStep)
                    QFAIL(qPrintable(QStringLiteral("tick %1: disc %2 at %3 twips, room %4")
                                         .arg(tick)
                                         .arg(i)
                                         .arg(top)
                                         .arg(room)));
            }
        }
    }
};

QTEST_MAIN(FindingsTest)
#include "tst_findings.moc"
