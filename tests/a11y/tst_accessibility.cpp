// What a screen reader reads of the start and exercise windows: names,
// descriptions, states and the press action of the bank buttons, the result
// boxes, addends and centre; and the focus ring a pupil sees from a distance.

#include <QTimer>

#include "A11ySupport.h"
#include "app/Accessibility.h"
#include "exercise/ExerciseSupport.h"
#include "input/ButtonBank.h"
#include "start/FrmInizio.h"

using testing::descriptionOf;
using testing::nameOf;
using testing::readerOf;

namespace {

constexpr int kCentre = 7;
const QColor kRight{245, 245, 0};

// The ring, the bevel inside it and the gap between, in device-independent pixels.
constexpr int kRingDepth = 8;

FrmInizio *openStart()
{
    app::Load<FrmInizio>();
    app::Show<FrmInizio>();
    FrmInizio *window = app::Loaded<FrmInizio>();
    if (!window || !QTest::qWaitForWindowActive(window))
        return nullptr;
    return window;
}

void answerByKeys(frmOperativo *window, int number)
{
    testing::typeNumber(window, number);
    testing::key(window, Qt::Key_Return); // "Avanti" holds the focus after a digit
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

    exercise::Esercizio m_esercizio;
    const exercise::Stato &stato() const { return m_esercizio.stato(); }

private Q_SLOTS:
    void initTestCase() { app::installAccessibility(); }

    void cleanup()
    {
        app::Unload<frmOperativo>();
        app::Unload<FrmInizio>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_esercizio.setNumeroCentrale(0);
    }

    void startButtonsReadTheirCaptionAndWhatTheyDo()
    {
        FrmInizio *window = openStart();
        QVERIFY(window);
        for (int i = 0; i <= 10; ++i) {
            input::BankButton *button = window->Option1(i);
            QCOMPARE(readerOf(button)->role(), QAccessible::Button);
            QCOMPARE(nameOf(button), QString::number(i));
            QCOMPARE(descriptionOf(button), QStringLiteral("Sceglie il centro %1").arg(i));
        }
        const QStringList commands{QStringLiteral("Vai"), QStringLiteral("Ripristina"),
                                   QStringLiteral("Esci")};
        const QStringList purposes{QStringLiteral("Sole dello 0: apre l'esercizio con questo sole"),
                                   QStringLiteral("Riporta la selezione sul centro 0"),
                                   QStringLiteral("Chiude il programma")};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(readerOf(window->Option2(i))->role(), QAccessible::Button);
            QCOMPARE(nameOf(window->Option2(i)), commands.at(i));
            QCOMPARE(descriptionOf(window->Option2(i)), purposes.at(i));
        }
        // The chosen sun is read by what it shows, once there is something to show.
        QCOMPARE(nameOf(window->Label1()), QString());
        testing::key(window, Qt::Key_7);
        testing::key(window, Qt::Key_Return);
        QCOMPARE(nameOf(window->Label1()), QStringLiteral("Sole del 7"));
        QCOMPARE(descriptionOf(window->Label1()), QStringLiteral("Il sole scelto per l'esercizio"));
        QVERIFY(descriptionOf(window->Option2(0)).startsWith(u"Sole del 7:"));
    }

    void focusedStateFollowsScanning()
    {
        FrmInizio *window = openStart();
        QVERIFY(window);
        TRY_VERIFY(readerOf(window->Option1(0))->state().focused);
        for (int i = 1; i <= 3; ++i) {
            testing::key(window, Qt::Key_Space);
            QVERIFY(readerOf(window->Option1(i))->state().focused);
            QVERIFY(!readerOf(window->Option1(i - 1))->state().focused);
            QVERIFY(readerOf(window->Option1(i))->state().focusable);
        }
    }

    void pressThroughReaderConfirmsLikeAMousePress()
    {
        FrmInizio *window = openStart();
        QVERIFY(window);
        QVERIFY(testing::pressThroughReader(window->Option1(kCentre)));
        QCOMPARE(window->esercizio().stato().NumeroCentrale, kCentre);
        QCOMPARE(window->Label1()->caption(), QStringLiteral("Sole del 7"));
        QVERIFY(window->Option2(0)->hasFocus());
        QVERIFY(readerOf(window->Option2(0))->state().focused);

        QVERIFY(testing::pressThroughReader(window->Option2(0)));
        frmOperativo *exercise = app::Loaded<frmOperativo>();
        QVERIFY(exercise);
        QVERIFY(QTest::qWaitForWindowActive(exercise));
        QCOMPARE(exercise->Label1()->caption(), QString::number(kCentre));

        // A disabled button cannot be pressed through the reader either.
        QVERIFY(testing::pressThroughReader(exercise->Option1(exercise::kEsco)));
        QCOMPARE(app::Loaded<frmOperativo>(), exercise);
    }

    void keypadReportsItsButtonsAndTheirStates()
    {
        m_esercizio.setNumeroCentrale(kCentre);
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        const QStringList commands{QStringLiteral("Cancella"), QStringLiteral("Avanti"),
                                   QStringLiteral("Nuovo sole"), QStringLiteral("Esco")};
        for (int i = 0; i < exercise::kKeypadCount; ++i) {
            input::BankButton *button = window->Option1(i);
            QCOMPARE(readerOf(button)->role(), QAccessible::Button);
            QCOMPARE(nameOf(button), i <= 9 ? QString::number(i) : commands.at(i - 10));
            QCOMPARE(readerOf(button)->state().disabled, i > exercise::kCancella);
        }
        QCOMPARE(descriptionOf(window->Option1(3)),
                 QStringLiteral("raggio 1 di 8: 7 più %1 uguale ?. Scrive la cifra 3 nel risultato")
                     .arg(stato().Addendi[0]));
        QCOMPARE(descriptionOf(window->Option1(exercise::kAvanti)),
                 QStringLiteral("Conferma il risultato e passa al raggio successivo"));
        QCOMPARE(descriptionOf(window->Option1(exercise::kNuovoSole)),
                 QStringLiteral("Comincia un nuovo sole con lo stesso centro"));

        // WHEN a digit is typed, "Avanti" can be used and holds the focus
        testing::typeDigit(window, 1);
        QAccessibleInterface *avanti = readerOf(window->Option1(exercise::kAvanti));
        QVERIFY(!avanti->state().disabled);
        QVERIFY(avanti->state().focused);
        QVERIFY(descriptionOf(window->Option1(exercise::kAvanti)).startsWith(u"Scritto 1."));

        // WHEN the sun is completed only "Nuovo sole" and "Esco" can be used
        testing::answerAllRight(window->esercizio());
        window->Timer3_Timer();
        for (int i = 0; i < exercise::kKeypadCount; ++i)
            QCOMPARE(readerOf(window->Option1(i))->state().disabled, i < exercise::kNuovoSole);
        QVERIFY(readerOf(window->Option1(exercise::kNuovoSole))->state().focused);
        QVERIFY(descriptionOf(window->Option1(exercise::kNuovoSole)).startsWith(u"Sole completo"));
        QCOMPARE(readerOf(window)->text(QAccessible::Name), QStringLiteral("Esercizio: sole del 7"));
    }

    void sunIsReadByItsCaptionsAndPlaces()
    {
        m_esercizio.setNumeroCentrale(kCentre);
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        QCOMPARE(nameOf(window->Label1()), QString::number(kCentre));
        QCOMPARE(descriptionOf(window->Label1()),
                 QStringLiteral("Il numero al centro del sole, da sommare a ogni addendo"));
        const QStringList places{
            QStringLiteral("in alto"),    QStringLiteral("in alto a destra"),
            QStringLiteral("a destra"),   QStringLiteral("in basso a destra"),
            QStringLiteral("in basso"),   QStringLiteral("in basso a sinistra"),
            QStringLiteral("a sinistra"), QStringLiteral("in alto a sinistra")};
        for (int ray = 0; ray < exercise::kRayCount; ++ray) {
            const QString addend = QString::number(stato().Addendi.at(size_t(ray)));
            QCOMPARE(readerOf(window->Label2(ray))->role(), QAccessible::StaticText);
            QCOMPARE(nameOf(window->Label2(ray)), addend);
            QCOMPARE(descriptionOf(window->Label2(ray)),
                     QStringLiteral("Addendo del raggio %1, %2: 7 più %3")
                         .arg(ray + 1)
                         .arg(places.at(ray), addend));
        }
        // The result of ray 3 is not reached yet; ray 1 waits for its answer.
        QCOMPARE(nameOf(window->lblRisultato(2)), QString());
        QVERIFY(descriptionOf(window->lblRisultato(2)).endsWith(u"Raggio non ancora raggiunto."));
        const QString addend0 = QString::number(stato().Addendi.at(0));
        QCOMPARE(nameOf(window->lblRisultato(0)), QStringLiteral("?"));
        QCOMPARE(descriptionOf(window->lblRisultato(0)),
                 QStringLiteral("Risultato del raggio 1, in alto: 7 più %1 uguale. Da scrivere.")
                     .arg(addend0));
    }

    void resultDescriptionFollowsEntryAndCheck()
    {
        m_esercizio.setNumeroCentrale(kCentre);
        frmOperativo *window = testing::openExercise(m_esercizio);
        QVERIFY(window);
        layout::Label *first = window->lblRisultato(0);
        const int wrong = testing::expectedSum(window, 0) + 1;

        testing::typeNumber(window, wrong);
        QCOMPARE(nameOf(first), QString::number(wrong));
        QVERIFY(descriptionOf(first).endsWith(QStringLiteral("Scritto %1.").arg(wrong)));
        testing::key(window, Qt::Key_Return);
        for (int ray = 1; ray < exercise::kRayCount - 1; ++ray)
            answerByKeys(window, testing::expectedSum(window, ray));
        // On the eighth ray "Avanti" checks, and says so
        testing::typeNumber(window, testing::expectedSum(window, exercise::kRayCount - 1));
        QVERIFY(descriptionOf(window->Option1(exercise::kAvanti))
                    .endsWith(u"Conferma il risultato e controlla tutti i risultati"));
        testing::key(window, Qt::Key_Return);

        // THEN the check finds ray 1 wrong, and the reader says so where the focus is
        QCOMPARE(nameOf(first), QStringLiteral("?"));
        QVERIFY(descriptionOf(window->Option1(1))
                    .startsWith(QStringLiteral("1 risultato da correggere: raggio 1, 7 più %1.")
                                    .arg(stato().Addendi[0])));
        QVERIFY(descriptionOf(first).endsWith(u"Da scrivere. Sbagliato: da correggere."));
        QVERIFY(descriptionOf(window->lblRisultato(1))
                    .endsWith(QStringLiteral("Scritto %1.").arg(testing::expectedSum(window, 1))));

        // WHEN it is corrected, every result is read as right, then as a completed sun
        answerByKeys(window, testing::expectedSum(window, 0));
        QCOMPARE(testing::resultColour(window, 0), kRight);
        for (int ray = 0; ray < exercise::kRayCount; ++ray)
            QVERIFY(descriptionOf(window->lblRisultato(ray)).endsWith(u"Giusto."));
        window->Timer3_Timer();
        for (int ray = 0; ray < exercise::kRayCount; ++ray)
            QVERIFY(
                descriptionOf(window->lblRisultato(ray)).endsWith(u"Giusto: il sole è completo."));

        // WHEN a new sun starts, its new addends are read
        window->AttivaPulsante(exercise::kNuovoSole);
        QVERIFY(descriptionOf(first).endsWith(u"Da scrivere."));
        QVERIFY(descriptionOf(first).contains(
            QStringLiteral(": 7 più %1 uguale.").arg(stato().Addendi.at(0))));
    }

    void focusedBankButtonShowsARingThatStandsOut()
    {
        FrmInizio *window = openStart();
        QVERIFY(window);
        TRY_VERIFY(window->Option1(0)->hasFocus());
        const int depth = kRingDepth;
        const QImage focused = window->Option1(0)->grab().toImage();
        const QImage resting = window->Option1(1)->grab().toImage();
        QCOMPARE(focused.pixelColor(focused.width() / 2, focused.height() / 4),
                 input::kFocusColour);
        QVERIFY(testing::ringThickness(focused, depth, input::kFocusColour, input::kRestColour) >=
                2);
        QCOMPARE(testing::ringThickness(resting, depth, input::kFocusColour, input::kRestColour),
                 0);

        // The ring moves with the focus, whichever way it moved.
        testing::key(window, Qt::Key_Space);
        const QImage moved = window->Option1(1)->grab().toImage();
        QVERIFY(testing::ringThickness(moved, depth, input::kFocusColour, input::kRestColour) >= 2);
        const QImage left = window->Option1(0)->grab().toImage();
        QCOMPARE(testing::ringThickness(left, depth, input::kFocusColour, input::kRestColour), 0);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
