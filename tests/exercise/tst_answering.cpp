// Answering a sun on the exercise window by keys, mouse and scanning, the
// check, the keypad's states, and the blink and bounce that celebrate a sun.

#include <QTimer>

#include "ExerciseSupport.h"
#include "input/ButtonBank.h"

using testing::focusedKey;
using testing::result;
using testing::resultColour;

namespace {

const QColor kRest{255, 255, 128};
const QColor kRight{245, 245, 0};
const QColor kWrong{255, 115, 0};
const QColor kBlinkLight{255, 255, 192};
const QColor kBlinkYellow{255, 255, 0};
const QColor kPeach{255, 224, 192};

enum class Mode { Keyboard, Mouse, Scanning };

// Moves the focus with SPACE alone until it reaches the key; false if it never does.
bool scanTo(frmOperativo *window, int key)
{
    for (int step = 0; step <= exercise::kKeypadCount && focusedKey(window) != key; ++step)
        testing::key(window, Qt::Key_Space);
    return focusedKey(window) == key;
}

bool press(frmOperativo *window, Mode mode, int key)
{
    switch (mode) {
    case Mode::Keyboard:
        if (key <= 9)
            testing::typeDigit(window, key);
        else
            testing::key(window, Qt::Key_Return); // "Avanti" holds the focus after a digit
        return true;
    case Mode::Mouse:
        testing::click(window->Option1(key));
        return true;
    case Mode::Scanning:
        if (!scanTo(window, key))
            return false;
        testing::key(window, Qt::Key_Return);
        return true;
    }
    return false;
}

bool answer(frmOperativo *window, Mode mode, int number)
{
    for (int digit : testing::digitsOf(number))
        if (!press(window, mode, digit))
            return false;
    return press(window, mode, exercise::kAvanti);
}

// Fills in every result right and runs the check.
void completeSun(frmOperativo *window)
{
    testing::answerAllRight(window->esercizio());
}

} // namespace

Q_DECLARE_METATYPE(Mode)

class AnsweringTest : public QObject
{
    Q_OBJECT

    exercise::Esercizio m_esercizio;
    const exercise::Stato &stato() const { return m_esercizio.stato(); }

private:
    frmOperativo *window = nullptr;

private Q_SLOTS:
    void init()
    {
        m_esercizio.setNumeroCentrale(6);
        window = testing::openExercise(m_esercizio);
        QVERIFY(window);
    }

    void cleanup()
    {
        app::Unload<frmOperativo>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_esercizio.setNumeroCentrale(0);
    }

    void wholeSunAnsweredRight_data()
    {
        QTest::addColumn<Mode>("mode");
        QTest::newRow("keyboard") << Mode::Keyboard;
        QTest::newRow("mouse") << Mode::Mouse;
        QTest::newRow("scanning") << Mode::Scanning;
    }

    void wholeSunAnsweredRight()
    {
        QFETCH(Mode, mode);
        const std::int16_t rightBefore = stato().ContatoreEsatte;
        for (int ray = 0; ray < exercise::kRayCount; ++ray) {
            const int sum = testing::expectedSum(window, ray);
            for (int digit : testing::digitsOf(sum))
                QVERIFY(press(window, mode, digit));
            QCOMPARE(result(window, ray), QString::number(sum));
            QVERIFY(window->Option1(exercise::kAvanti)->isEnabled());
            if (mode == Mode::Keyboard)
                QCOMPARE(focusedKey(window), exercise::kAvanti);
            QVERIFY(press(window, mode, exercise::kAvanti));
            QCOMPARE(focusedKey(window), 1);
            if (ray + 1 < exercise::kRayCount) {
                QCOMPARE(result(window, ray + 1), QStringLiteral("?"));
                QVERIFY(window->lblSegno(ray + 1)->isVisible());
                QVERIFY(window->lblUguale(ray + 1)->isVisible());
                QVERIFY(!window->Option1(exercise::kAvanti)->isEnabled());
            }
        }
        // THEN all eight are right and the celebration starts
        for (int ray = 0; ray < exercise::kRayCount; ++ray)
            QCOMPARE(resultColour(window, ray), kRight);
        QCOMPARE(stato().RaggioCorrente, 8);
        QCOMPARE(stato().ContatoreEsatte, rightBefore + 8);
        QVERIFY(window->Timer3()->isActive());
        QVERIFY(window->Timer2()->isActive());
        QVERIFY(window->Picture11()->isVisible());

        // WHEN the first blink tick completes the keypad, "Nuovo sole" starts the next sun
        window->Timer3_Timer();
        QCOMPARE(focusedKey(window), exercise::kNuovoSole);
        if (mode == Mode::Keyboard)
            testing::key(window, Qt::Key_Return);
        else
            QVERIFY(press(window, mode, exercise::kNuovoSole));
        QCOMPARE(stato().RaggioCorrente, 0);
        QVERIFY(!window->Timer3()->isActive());
        QVERIFY(!window->Timer2()->isActive());
        QVERIFY(!window->Picture11()->isVisible());
        QCOMPARE(layout::backColour(window->frame1()), kPeach);
        QCOMPARE(focusedKey(window), 1);
        QVERIFY(!window->Option1(exercise::kAvanti)->isEnabled());
        for (int ray = 0; ray < exercise::kRayCount; ++ray) {
            QCOMPARE(resultColour(window, ray), kRest);
            QCOMPARE(window->lblUguale(ray)->isVisible(), ray == 0);
        }
    }

    void wrongRaysAreMarkedAndCheckedAgain()
    {
        const std::int16_t rightBefore = stato().ContatoreEsatte;
        const std::int16_t wrongBefore = stato().ContatoreErrori;
        for (int ray = 0; ray < exercise::kRayCount; ++ray) {
            const int sum = testing::expectedSum(window, ray);
            QVERIFY(answer(window, Mode::Keyboard, ray == 3 || ray == 5 ? sum + 1 : sum));
        }
        // THEN the check stops at ray 3
        for (int ray = 0; ray < 3; ++ray)
            QCOMPARE(resultColour(window, ray), kRight);
        QCOMPARE(resultColour(window, 3), kWrong);
        QCOMPARE(result(window, 3), QStringLiteral("?"));
        for (int ray = 4; ray < exercise::kRayCount; ++ray)
            QCOMPARE(resultColour(window, ray), kRest);
        QCOMPARE(stato().RaggioCorrente, 3);
        QVERIFY(!window->Option1(exercise::kAvanti)->isEnabled());
        QCOMPARE(stato().ContatoreEsatte, rightBefore + 3);
        QCOMPARE(stato().ContatoreErrori, wrongBefore + 1);

        // WHEN ray 3 is corrected, the next "Avanti" checks all eight and stops at ray 5
        testing::typeNumber(window, testing::expectedSum(window, 3));
        QCOMPARE(resultColour(window, 3), kWrong);
        testing::key(window, Qt::Key_Return);
        QCOMPARE(resultColour(window, 3), kRight);
        QCOMPARE(resultColour(window, 5), kWrong);
        QCOMPARE(stato().RaggioCorrente, 5);
        QCOMPARE(stato().ContatoreEsatte, rightBefore + 3 + 5);
        QVERIFY(!window->Timer3()->isActive());

        QVERIFY(answer(window, Mode::Keyboard, testing::expectedSum(window, 5)));
        QCOMPARE(stato().RaggioCorrente, 8);
        QCOMPARE(stato().ContatoreEsatte, rightBefore + 3 + 5 + 8);
        QCOMPARE(stato().ContatoreErrori, wrongBefore + 2);
        QVERIFY(window->Timer3()->isActive());

        // A new sun reveals its rays one by one again.
        window->AttivaPulsante(exercise::kNuovoSole);
        QVERIFY(answer(window, Mode::Keyboard, testing::expectedSum(window, 0)));
        QCOMPARE(stato().RaggioCorrente, 1);
        QCOMPARE(resultColour(window, 0), kRest);
    }

    void resultCaptionCornersAndAvanti()
    {
        const input::BankButton *avanti = window->Option1(exercise::kAvanti);

        // 0 on "?" is refused, yet "Avanti" is enabled and takes the focus
        testing::typeDigit(window, 0);
        QCOMPARE(result(window, 0), QStringLiteral("?"));
        QVERIFY(avanti->isEnabled());
        QCOMPARE(focusedKey(window), exercise::kAvanti);
        // and moves on leaving "?"
        testing::key(window, Qt::Key_Return);
        QCOMPARE(stato().RaggioCorrente, 1);
        QCOMPARE(result(window, 0), QStringLiteral("?"));

        // "07" cannot be entered, and a fourth digit is dropped
        testing::typeNumber(window, 0);
        testing::typeNumber(window, 7);
        QCOMPARE(result(window, 1), QStringLiteral("7"));
        testing::typeNumber(window, 234);
        QCOMPARE(result(window, 1), QStringLiteral("723"));
        testing::key(window, Qt::Key_4, Qt::KeypadModifier);
        QCOMPARE(result(window, 1), QStringLiteral("723"));

        // C erases at once from "Cancella", and disables "Avanti" when "?" is back
        testing::key(window, Qt::Key_C);
        QCOMPARE(focusedKey(window), exercise::kCancella);
        QCOMPARE(result(window, 1), QStringLiteral("72"));
        testing::key(window, Qt::Key_C);
        QVERIFY(avanti->isEnabled());
        testing::key(window, Qt::Key_C);
        QCOMPARE(result(window, 1), QStringLiteral("?"));
        QVERIFY(!avanti->isEnabled());
        testing::click(window->Option1(exercise::kCancella));
        QCOMPARE(result(window, 1), QStringLiteral("?"));
        QVERIFY(!avanti->isEnabled());

        // BACKSPACE on "1" gives "?" but leaves "Avanti" enabled and the focus in place
        testing::typeDigit(window, 1);
        QCOMPARE(focusedKey(window), exercise::kAvanti);
        testing::key(window, Qt::Key_Backspace);
        QCOMPARE(result(window, 1), QStringLiteral("?"));
        QVERIFY(avanti->isEnabled());
        QCOMPARE(focusedKey(window), exercise::kAvanti);
        // A button, the mouse or ENTER on a digit, leaves the focus on it
        testing::click(window->Option1(8));
        QCOMPARE(focusedKey(window), 8);
        testing::key(window, Qt::Key_Return);
        QCOMPARE(result(window, 1), QStringLiteral("88"));
        QCOMPARE(focusedKey(window), 8);
        // A held key types once; a letter no table lists types nothing
        QTest::keyPress(testing::windowOf(window), Qt::Key_9);
        QTest::keyPress(testing::windowOf(window), Qt::Key_9, Qt::NoModifier);
        QTest::keyRelease(testing::windowOf(window), Qt::Key_9);
        QCOMPARE(result(window, 1), QStringLiteral("889"));
        testing::key(window, Qt::Key_X);
        QCOMPARE(result(window, 1), QStringLiteral("889"));
    }

    void arrowsMoveTheFocusWithinTheKeypad()
    {
        QCOMPARE(focusedKey(window), 0);
        testing::key(window, Qt::Key_Right);
        QCOMPARE(focusedKey(window), 1);
        testing::key(window, Qt::Key_Left);
        QCOMPARE(focusedKey(window), 0);
        QCOMPARE(result(window, 0), QStringLiteral("?"));
        QCOMPARE(window->Option1(0)->backColour(), input::kFocusColour);
        QCOMPARE(window->Option1(1)->backColour(), input::kRestColour);
    }

    void scanningSkipsDisabledKeys()
    {
        window->Option1(exercise::kCancella)->setFocus();
        QVERIFY(scanTo(window, exercise::kCancella));
        testing::key(window, Qt::Key_Space);
        QCOMPARE(focusedKey(window), 0);
        testing::typeDigit(window, 2);
        QVERIFY(scanTo(window, exercise::kCancella));
        testing::key(window, Qt::Key_Space);
        QCOMPARE(focusedKey(window), exercise::kAvanti);
    }

    void keypadStatesBothWays()
    {
        completeSun(window);
        window->Timer3_Timer();
        const QList<int> completed{exercise::kNuovoSole, exercise::kEsco};
        QCOMPARE(testing::enabledKeys(window), completed);
        QCOMPARE(focusedKey(window), exercise::kNuovoSole);

        // Scanning alternates between the two; every tick brings the focus back
        testing::key(window, Qt::Key_Space);
        QCOMPARE(focusedKey(window), exercise::kEsco);
        testing::key(window, Qt::Key_Space);
        QCOMPARE(focusedKey(window), exercise::kNuovoSole);
        testing::key(window, Qt::Key_E);
        QCOMPARE(focusedKey(window), exercise::kEsco);
        window->Timer3_Timer();
        QCOMPARE(focusedKey(window), exercise::kNuovoSole);
        // A and C do nothing while their buttons are off
        testing::key(window, Qt::Key_A);
        testing::key(window, Qt::Key_C);
        QCOMPARE(focusedKey(window), exercise::kNuovoSole);

        testing::click(window->Option1(exercise::kNuovoSole));
        const QList<int> entry{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, exercise::kCancella};
        QCOMPARE(testing::enabledKeys(window), entry);
        QCOMPARE(focusedKey(window), 1);
        testing::key(window, Qt::Key_N);
        testing::key(window, Qt::Key_E);
        QCOMPARE(focusedKey(window), 1);
    }

    void keysDoNothingBetweenTheCheckAndTheFirstBlink()
    {
        for (int ray = 0; ray < exercise::kRayCount; ++ray)
            QVERIFY(answer(window, Mode::Keyboard, testing::expectedSum(window, ray)));
        QCOMPARE(stato().RaggioCorrente, 8);
        QCOMPARE(focusedKey(window), 1);
        QStringList before;
        for (int ray = 0; ray < exercise::kRayCount; ++ray)
            before << result(window, ray);

        testing::typeDigit(window, 5);
        testing::key(window, Qt::Key_5, Qt::KeypadModifier);
        testing::key(window, Qt::Key_Backspace);
        testing::key(window, Qt::Key_Return);
        testing::click(window->Option1(7));
        testing::click(window->Option1(exercise::kCancella));
        testing::key(window, Qt::Key_C);

        QStringList after;
        for (int ray = 0; ray < exercise::kRayCount; ++ray) {
            after << result(window, ray);
            QCOMPARE(resultColour(window, ray), kRight);
        }
        QCOMPARE(after, before);
        QCOMPARE(stato().RaggioCorrente, 8);
        QVERIFY(!window->Option1(exercise::kAvanti)->isEnabled());
    }

    void blinkAlternatesFromTheOddPhase()
    {
        completeSun(window);
        window->Timer3_Timer();
        QCOMPARE(layout::backColour(window->frame1()), kBlinkYellow);
        QCOMPARE(resultColour(window, 0), kBlinkLight);
        window->Timer3_Timer();
        QCOMPARE(layout::backColour(window->frame1()), kBlinkLight);
        QCOMPARE(resultColour(window, 7), kBlinkYellow);

        // The 256th tick wraps the count to 0 and the alternation goes on
        for (int tick = 3; tick <= 256; ++tick)
            window->Timer3_Timer();
        QCOMPARE(stato().ContatoreLampeggi, 0);
        QCOMPARE(layout::backColour(window->frame1()), kBlinkLight);
        window->Timer3_Timer();
        QCOMPARE(layout::backColour(window->frame1()), kBlinkYellow);

        // A second sun blinks from the odd phase again
        window->AttivaPulsante(exercise::kNuovoSole);
        QCOMPARE(layout::backColour(window->frame1()), kPeach);
        completeSun(window);
        window->Timer3_Timer();
        QCOMPARE(stato().ContatoreLampeggi, 1);
        QCOMPARE(layout::backColour(window->frame1()), kBlinkYellow);
    }

    void bounceTurnsAtItsLimits()
    {
        // Panel 2352 high, frames 1140: a frame turns down-to-up once its top
        // reaches 1212, and up-to-down once it reaches 0.
        QCOMPARE(window->Picture11Height(), 2352);
        QCOMPARE(window->Frame2Height(3), 1140);
        const std::array<int, 4> start{468, 444, 408, 420};
        for (int i = 0; i < exercise::kDiscCount; ++i)
            QCOMPARE(window->Frame2Top(i), start.at(static_cast<size_t>(i)));

        for (int tick = 1; tick <= 192; ++tick) {
            window->Timer2_Timer();
            switch (tick) {
            case 24: // "B" one step short of the bottom
                QCOMPARE(window->Frame2Top(0), 1188);
                QCOMPARE(stato().PassoRimbalzo[0], 30);
                break;
            case 25:
                QCOMPARE(window->Frame2Top(0), 1218);
                QCOMPARE(stato().PassoRimbalzo[0], -31);
                break;
            case 41: // "N"
                QCOMPARE(window->Frame2Top(2), 1228);
                QCOMPARE(stato().PassoRimbalzo[2], -21);
                break;
            case 52: // "E"
                QCOMPARE(window->Frame2Top(1), 1224);
                QCOMPARE(stato().PassoRimbalzo[1], -16);
                break;
            case 64:
                QCOMPARE(window->Frame2Top(0), 9);
                QCOMPARE(stato().PassoRimbalzo[0], -31);
                break;
            case 65: // "B" overshoots the top by less than one step and turns
                QCOMPARE(window->Frame2Top(0), -22);
                QCOMPARE(stato().PassoRimbalzo[0], 30);
                break;
            case 66:
                QCOMPARE(window->Frame2Top(0), 8);
                break;
            case 79: // the last "E"
                QCOMPARE(window->Frame2Top(3), 1210);
                QCOMPARE(stato().PassoRimbalzo[3], 10);
                break;
            case 80:
                QCOMPARE(window->Frame2Top(3), 1220);
                QCOMPARE(stato().PassoRimbalzo[3], -11);
                QCOMPARE(window->Frame2(3)->y(), layout::twipsToPixels(1220));
                break;
            case 191:
                QCOMPARE(window->Frame2Top(3), -1);
                QCOMPARE(stato().PassoRimbalzo[3], 10);
                break;
            case 192:
                QCOMPARE(window->Frame2Top(3), 9);
                break;
            default:
                break;
            }
        }

        // A new sun keeps the discs and their steps where the bounce left them
        const int top = window->Frame2Top(1);
        const std::int16_t step = stato().PassoRimbalzo[1];
        window->AttivaPulsante(exercise::kNuovoSole);
        QCOMPARE(window->Frame2Top(1), top);
        QCOMPARE(stato().PassoRimbalzo[1], step);
    }

    void resizePutsTheDiscsBackAtTheirScaledPlaces()
    {
        for (int tick = 0; tick < 10; ++tick)
            window->Timer2_Timer();
        QVERIFY(window->Frame2Top(0) != 468);
        const int clientHeight = window->client()->height();
        window->resize(window->width(), window->height() + clientHeight);
        TRY_COMPARE(window->innerHeightTwips(), 2 * 8565);
        QCOMPARE(window->Frame2Top(0), 2 * 468);
        QCOMPARE(window->Frame2Height(0), 2 * 1140);
        QCOMPARE(window->Picture11Height(), 2 * 2352);
        window->Timer2_Timer();
        QCOMPARE(window->Frame2Top(0), 2 * 468 + stato().PassoRimbalzo[0]);
    }
};

QTEST_MAIN(AnsweringTest)
#include "tst_answering.moc"
