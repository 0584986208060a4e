// The key tables of the start window's two banks, and the latches as a pupil
// meets them: what each key does on the centres and on the commands, held
// keys, and the key that is ignored after a choice made with ENTER.

#include <QApplication>
#include <QTest>

#include "StartSupport.h"
#include "TestSupport.h"
#include "app/Windows.h"
#include "exercise/frmOperativo.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"

class StartKeysTest : public QObject
{
    Q_OBJECT

private:
    FrmInizio *m_window = nullptr;

    bool open()
    {
        m_window = testing::openStartWindow();
        return m_window && QTest::qWaitFor([this] { return m_window->Option1(0)->hasFocus(); });
    }

    QWidget *focused() const { return QApplication::focusWidget(); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(open());
    }

    void cleanup()
    {
        app::Unload<FrmInizio>();
        app::Unload<frmOperativo>();
        testing::flushDeletes();
    }

    void keysOnTheCentresOnlySelect_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("centre"); // -1: the focus stays on "0"
        for (int digit = 0; digit <= 9; ++digit) {
            QTest::addRow("digit %d", digit)
                << Qt::Key(Qt::Key_0 + digit) << Qt::KeyboardModifiers() << digit;
            QTest::addRow("keypad %d", digit)
                << Qt::Key(Qt::Key_0 + digit) << Qt::KeyboardModifiers(Qt::KeypadModifier) << digit;
        }
        QTest::newRow("keypad *") << Qt::Key_Asterisk << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                  << 10;
        QTest::newRow("* of the main keys") << Qt::Key_Asterisk << Qt::KeyboardModifiers() << -1;
        QTest::newRow("digit with ctrl")
            << Qt::Key_4 << Qt::KeyboardModifiers(Qt::ControlModifier) << 4;
        QTest::newRow("S") << Qt::Key_S << Qt::KeyboardModifiers() << -1;
        QTest::newRow("N") << Qt::Key_N << Qt::KeyboardModifiers() << -1;
        QTest::newRow("X") << Qt::Key_X << Qt::KeyboardModifiers() << -1;
        QTest::newRow("right arrow") << Qt::Key_Right << Qt::KeyboardModifiers() << -1;
        QTest::newRow("down arrow") << Qt::Key_Down << Qt::KeyboardModifiers() << -1;
    }

    void keysOnTheCentresOnlySelect()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, centre);
        testing::key(m_window, key, modifiers);
        QCOMPARE(focused(), m_window->Option1(centre < 0 ? 0 : centre));
        QVERIFY(m_window->Label1()->caption().isEmpty());
        QCOMPARE(testing::chosenCentre(), 0);
        QVERIFY(!app::Loaded<frmOperativo>());
    }

    void keysOnTheCommands_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("command"); // where the focus is afterwards
        const auto none = Qt::KeyboardModifiers();
        QTest::newRow("0 selects Vai") << Qt::Key_0 << none << 0;
        QTest::newRow("1 selects Ripristina") << Qt::Key_1 << none << 1;
        for (Qt::Key key :
             {Qt::Key_2, Qt::Key_5, Qt::Key_9, Qt::Key_C, Qt::Key_V, Qt::Key_A, Qt::Key_N,
              Qt::Key_E, Qt::Key_Backspace, Qt::Key_F2, Qt::Key_X, Qt::Key_Left, Qt::Key_Up})
            QTest::addRow("%s does nothing", qPrintable(QKeySequence(key).toString()))
                << key << none << 2;
        QTest::newRow("keypad 0 does nothing")
            << Qt::Key_0 << Qt::KeyboardModifiers(Qt::KeypadModifier) << 2;
    }

    void keysOnTheCommands()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, command);
        QVERIFY(input::giveFocus(m_window->Option2(2)));
        testing::key(m_window, key, modifiers);
        QCOMPARE(focused(), m_window->Option2(command));
        QCOMPARE(app::loadedWindowCount(), 1);
        QVERIFY(m_window->isVisible());
    }

    void heldKeysActOnce()
    {
        // a held 7 selects once; a held ENTER chooses once and does not go
        // on to "Vai", where the focus has moved in the meantime
        testing::holdKey(m_window, Qt::Key_7, QStringLiteral("7"), 4);
        QCOMPARE(focused(), m_window->Option1(7));
        testing::holdKey(m_window, Qt::Key_Return, QStringLiteral("\r"), 4);
        QCOMPARE(m_window->Label1()->caption(), QStringLiteral("Sole del 7"));
        QCOMPARE(focused(), m_window->Option2(0));
        QVERIFY(!app::Loaded<frmOperativo>());

        // a held SPACE moves one button only
        testing::holdKey(m_window, Qt::Key_Space, QStringLiteral(" "), 4);
        QCOMPARE(focused(), m_window->Option2(1));
    }

    void aLoneAltLeavesTheKeysWithTheButtons()
    {
        // ALT pressed and let go alone takes nothing from the buttons: the
        // next digit selects, the next ENTER chooses, and no menu opens
        testing::key(m_window, Qt::Key_Alt);
        QCOMPARE(focused(), m_window->Option1(0));
        testing::key(m_window, Qt::Key_7);
        QCOMPARE(focused(), m_window->Option1(7));
        testing::key(m_window, Qt::Key_Return);
        QCOMPARE(m_window->Label1()->caption(), QStringLiteral("Sole del 7"));

        // the same on the exercise window: a digit still types
        testing::key(m_window, Qt::Key_Return);
        frmOperativo *exercise = app::Loaded<frmOperativo>();
        QVERIFY(exercise && QTest::qWaitForWindowActive(exercise));
        TRY_VERIFY(exercise->Option1(0)->hasFocus());
        testing::key(exercise, Qt::Key_Alt);
        QCOMPARE(focused(), exercise->Option1(0));
        testing::key(exercise, Qt::Key_4);
        QCOMPARE(exercise->lblRisultato(0)->caption(), QStringLiteral("4"));
    }

    void afterAChoiceByEnterTheCentresIgnoreOneKey()
    {
        testing::key(m_window, Qt::Key_7);
        testing::key(m_window, Qt::Key_Return); // released on "Vai"
        QCOMPARE(focused(), m_window->Option2(0));
        QVERIFY(m_window->centreBank()->TastoPremuto);

        // WHEN the focus comes back to the centres without a release there
        input::giveFocus(m_window->Option1(3));
        // THEN the next key-down is ignored, ENTER included, and clicks nothing
        testing::keyDown(m_window, Qt::Key_Return, QStringLiteral("\r"));
        QCOMPARE(m_window->Label1()->caption(), QStringLiteral("Sole del 7"));
        QCOMPARE(focused(), m_window->Option1(3));
        QVERIFY(!m_window->Option1(3)->isChecked());
        // and its release puts the bank back to work
        testing::keyUp(m_window, Qt::Key_Return, QStringLiteral("\r"));
        testing::key(m_window, Qt::Key_5);
        QCOMPARE(focused(), m_window->Option1(5));
    }

    void aMouseReleaseOnACentreAlsoPutsTheBankBackToWork()
    {
        testing::key(m_window, Qt::Key_Return); // chooses 0, released on "Vai"
        testing::click(m_window->Option1(8));   // chooses 8, released on the centre
        QCOMPARE(m_window->Label1()->caption(), QStringLiteral("Sole dell' 8"));
        input::giveFocus(m_window->Option1(1));
        testing::key(m_window, Qt::Key_6);
        QCOMPARE(focused(), m_window->Option1(6));
    }

    void scanningStaysInItsBankAndSkipsDisabledButtons()
    {
        m_window->Option1(1)->setEnabled(false);
        m_window->Option1(10)->setEnabled(false);
        testing::key(m_window, Qt::Key_Space);
        QCOMPARE(focused(), m_window->Option1(2));
        input::giveFocus(m_window->Option1(9));
        testing::key(m_window, Qt::Key_Space);
        QCOMPARE(focused(), m_window->Option1(0));

        input::giveFocus(m_window->Option2(2));
        testing::key(m_window, Qt::Key_Space);
        QCOMPARE(focused(), m_window->Option2(0));
    }

    void aKeyReleaseClearsThePressedLookOnTheCentresOnly()
    {
        m_window->Option1(0)->setChecked(true);
        testing::key(m_window, Qt::Key_X);
        QVERIFY(!m_window->Option1(0)->isChecked());

        input::giveFocus(m_window->Option2(1));
        m_window->Option2(1)->setChecked(true);
        testing::key(m_window, Qt::Key_X);
        QVERIFY(m_window->Option2(1)->isChecked());
    }
};

QTEST_MAIN(StartKeysTest)
#include "tst_startkeys.moc"
