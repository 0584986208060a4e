// The exercise window as created and loaded, the drawing of its suns, and how
// it opens and closes beside the start window.

#include <QAction>
#include <QSet>
#include <QTimer>

#include "ExerciseSupport.h"
#include "info/frmAutore.h"
#include "info/frmIstruzioni.h"
#include "start/FrmInizio.h"


class ExerciseWindowTest : public QObject
{
    Q_OBJECT

    exercise::Esercizio m_esercizio;
    const exercise::Stato &stato() const { return m_esercizio.stato(); }

private Q_SLOTS:
    void cleanup()
    {
        app::Unload<frmIstruzioni>();
        app::Unload<frmOperativo>();
        app::Unload<FrmInizio>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_esercizio.setNumeroCentrale(0);
    }

    void createdWindowMatchesItsDefinition()
    {
        // Built but not loaded: the state the definition stores.
        frmOperativo window(m_esercizio);
        const QList<int> entryKeys{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, exercise::kCancella};
        QCOMPARE(testing::enabledKeys(&window), entryKeys);
        for (int ray = 0; ray < exercise::kRayCount; ++ray) {
            QVERIFY(!window.lblSegno(ray)->isVisibleTo(&window));
            QCOMPARE(window.lblUguale(ray)->isVisibleTo(&window), ray == 0);
            QCOMPARE(testing::result(&window, ray), ray == 0 ? QStringLiteral("?") : QString());
        }
        QVERIFY(!window.Picture11()->isVisibleTo(&window));
        QVERIFY(window.Timer2()->isActive());
        QVERIFY(!window.Timer3()->isActive());
        // Within the sun the result of ray 3 is in front of everything, the large disc behind.
        const QWidgetList sun =
            window.frame1()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        QCOMPARE(sun.size(), 35);
        QCOMPARE(sun.last(), window.lblRisultato(3));
        QCOMPARE(sun.first(), window.control<QWidget>("Shape1", 1));
        QVERIFY(sun.indexOf(window.control<QWidget>("Shape2")) < sun.indexOf(window.Label2(7)));
        // One entry per control: 5 on the window, 12 in the discs, 14 keys, 35 in the sun, the
        // menu.
        QCOMPARE(window.controls().size(), size_t{67});
    }

    void loadedWindowShowsAFreshSunAtDesignSize()
    {
        m_esercizio.setNumeroCentrale(7);
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Form1"));
        QVERIFY(!window->windowIcon().isNull());
        QCOMPARE(window->innerWidthTwips(), 11910);
        QCOMPARE(window->innerHeightTwips(), 8565);
        QCOMPARE(window->mnuIstruzioni()->text(), QStringLiteral("Istruzioni"));
        QVERIFY(!window->mnuIstruzioni()->isEnabled());

        QCOMPARE(window->Label1()->caption(), QStringLiteral("7"));
        QVERIFY(!window->Timer2()->isActive());
        QVERIFY(!window->Picture11()->isVisible());
        QVERIFY(!window->Option1(exercise::kAvanti)->isEnabled());
        QCOMPARE(testing::focusedKey(window), 0);
        for (int ray = 0; ray < exercise::kRayCount; ++ray) {
            QCOMPARE(window->lblSegno(ray)->isVisible(), ray == 0);
            QCOMPARE(window->lblUguale(ray)->isVisible(), ray == 0);
            QCOMPARE(window->lblSegno(ray)->caption(), QStringLiteral("+"));
            QCOMPARE(testing::resultColour(window, ray), QColor(255, 255, 128));
        }
        QCOMPARE(stato().PassoRimbalzo[0], 30);
        QCOMPARE(stato().PassoRimbalzo[3], 10);
    }

    void sunsHoldEightDifferentAddendsWithTheirSums_data()
    {
        QTest::addColumn<int>("centre");
        for (int centre = 0; centre <= 10; ++centre)
            QTest::newRow(qPrintable(QStringLiteral("centre %1").arg(centre))) << centre;
    }

    void sunsHoldEightDifferentAddendsWithTheirSums()
    {
        QFETCH(int, centre);
        m_esercizio.setNumeroCentrale(static_cast<std::int16_t>(centre));
        frmOperativo *window = app::Load<frmOperativo>(m_esercizio);
        for (int sun = 0; sun < 50; ++sun) {
            window->esercizio().NuovoSole();
            QSet<int> addends;
            for (int ray = 0; ray < exercise::kRayCount; ++ray) {
                const int addend = stato().Addendi.at(static_cast<size_t>(ray));
                QVERIFY(addend >= 1 && addend <= 10);
                addends.insert(addend);
                QCOMPARE(int(stato().Somme.at(static_cast<size_t>(ray))), centre + addend);
                QCOMPARE(window->Label2(ray)->caption(), QString::number(addend));
            }
            QCOMPARE(addends.size(), exercise::kRayCount);
            for (int n = 0; n < 12; ++n)
                QCOMPARE(stato().TabellaUsati.at(static_cast<size_t>(n)),
                         addends.contains(n));
            QCOMPARE(window->Label1()->caption(), QString::number(centre));
        }
    }

    void sunsDrawnInQuickSuccessionDiffer()
    {
        frmOperativo *window = app::Load<frmOperativo>(m_esercizio);
        auto addends = [this] {
            return std::vector<int>(stato().Addendi.begin(), stato().Addendi.begin() + 8);
        };
        for (int pair = 0; pair < 10; ++pair) {
            const std::vector<int> before = addends();
            window->esercizio().NuovoSole();
            QVERIFY2(addends() != before, "two suns in a row drew the same addends");
        }
    }

    void centreChosenMeanwhileShowsAtTheNextSun()
    {
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        QCOMPARE(window->Label1()->caption(), QStringLiteral("0"));
        m_esercizio.setNumeroCentrale(4);
        QCOMPARE(window->Label1()->caption(), QStringLiteral("0"));
        window->AttivaPulsante(exercise::kNuovoSole);
        QCOMPARE(window->Label1()->caption(), QStringLiteral("4"));
        QCOMPARE(testing::focusedKey(window), 1);
    }

    void closingLeavesStartWindowAndStateAndReopeningDrawsAFreshSun()
    {
        app::Load<FrmInizio>();
        app::Show<FrmInizio>();
        m_esercizio.setNumeroCentrale(3);
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        // WHEN a check has run and the discs have moved
        testing::typeDigit(window, 1);
        for (int ray = 0; ray < exercise::kRayCount; ++ray)
            window->esercizio().Avanza();
        window->Timer2_Timer();
        const std::int16_t errors = stato().ContatoreErrori;
        QVERIFY(errors > 0);
        QVERIFY(stato().VerificaAvviata);
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // THEN only the exercise window is gone, and the state stays
        QVERIFY(!app::Loaded<frmOperativo>());
        QVERIFY(app::Loaded<FrmInizio>() && app::Loaded<FrmInizio>()->isVisible());
        QCOMPARE(stato().NumeroCentrale, 3);
        QCOMPARE(stato().ContatoreErrori, errors);
        QVERIFY(stato().VerificaAvviata);

        // WHEN it is opened again
        window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        QCOMPARE(stato().ContatoreErrori, errors);
        QCOMPARE(stato().RaggioCorrente, 0);
        QVERIFY(!stato().VerificaAvviata);
        QCOMPARE(testing::result(window, 0), QStringLiteral("?"));
        QCOMPARE(window->Label1()->caption(), QStringLiteral("3"));
        QCOMPARE(stato().PassoRimbalzo[0], 30);
        QCOMPARE(window->Frame2Top(0), 468);
    }

    void escoClosesOnlyTheExerciseAndTheWindowsOverIt()
    {
        app::Load<FrmInizio>();
        app::Show<FrmInizio>();
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        app::Load<frmIstruzioni>();
        app::Load<frmAutore>();
        window->BloccaTastierino();
        QCOMPARE(testing::focusedKey(window), exercise::kNuovoSole);
        testing::key(window, Qt::Key_E);
        QCOMPARE(testing::focusedKey(window), exercise::kEsco);
        testing::key(window, Qt::Key_Return);
        QVERIFY(!app::Loaded<frmOperativo>());
        QVERIFY(!app::Loaded<frmIstruzioni>());
        QVERIFY(!app::Loaded<frmAutore>());
        QVERIFY(app::Loaded<FrmInizio>());
    }

    void vaiOpensTheExerciseBesideTheStartWindow()
    {
        app::Load<FrmInizio>();
        app::Show<FrmInizio>();
        FrmInizio *start = app::Loaded<FrmInizio>();
        start->ScegliCentro(9);
        start->EseguiComando(0);
        frmOperativo *window = app::Loaded<frmOperativo>();
        QVERIFY(window && window->isVisible());
        QVERIFY(start->isVisible());
        QCOMPARE(window->Label1()->caption(), QStringLiteral("9"));
        const QString addend = window->Label2(0)->caption();
        // "Vai" again brings the same sun to the front.
        start->EseguiComando(0);
        QCOMPARE(app::Loaded<frmOperativo>(), window);
        QCOMPARE(window->Label2(0)->caption(), addend);
    }

    void instructionsCannotBeChosenFromTheMenu()
    {
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        window->mnuIstruzioni()->trigger();
        QVERIFY(!app::Loaded<frmIstruzioni>());
    }

    void instructionsCommandReturnsFocusToKeyOne()
    {
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        QTimer::singleShot(0, window, [] {
            frmIstruzioni *instructions = app::Loaded<frmIstruzioni>();
            QVERIFY(instructions && instructions->isVisible());
            QVERIFY(instructions->isModal());
            instructions->Command1_Click();
        });
        window->mnuIstruzioni_Click();
        QVERIFY(!app::Loaded<frmIstruzioni>());
        QCOMPARE(testing::focusedKey(window), 1);
    }

    void instructionsDuringTheBlinkLeaveTheKeypadAlone()
    {
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        window->Timer3_Timer();
        // While the instructions cover the window the blink goes on, and its
        // focus request is dropped.
        QTimer::singleShot(0, window, [window] {
            window->Timer3_Timer();
            app::Loaded<frmIstruzioni>()->Command1_Click();
        });
        window->mnuIstruzioni_Click();
        QCOMPARE(stato().ContatoreLampeggi, 2);
        const QList<int> completed{exercise::kNuovoSole, exercise::kEsco};
        QCOMPARE(testing::enabledKeys(window), completed);
        QCOMPARE(testing::focusedKey(window), exercise::kNuovoSole);
    }

    void discsStayCircularWhenStretched()
    {
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        window->resize(window->width() * 2, window->height());
        TRY_COMPARE(window->innerWidthTwips(), 2 * 11910);
        const std::array discs{window->control<layout::Shape>("Shape2"),
                               window->control<layout::Shape>("Shape1", 1)};
        for (const layout::Shape *shape : discs) {
            QVERIFY(shape);
            QVERIFY(shape->width() > shape->height());
            QCOMPARE(shape->drawnRect().width(), shape->drawnRect().height());
        }
    }
};

QTEST_MAIN(ExerciseWindowTest)
#include "tst_exercisewindow.moc"
