// The button bank mechanism on a bank made for the test: focus colours,
// scanning with SPACE, confirmation by ENTER and by mouse, the latches, and
// what the toolkit is and is not allowed to see.

#include <QGuiApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "TestSupport.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "input/VirtualKey.h"

namespace {

constexpr int kButtons = 4;

// A window holding one bank of four buttons side by side. ENTER confirms; A
// moves the focus to button 3; S and the left/right arrows are accepted
// without an action of their own, so the toolkit still sees them.
class BankWindow : public QWidget
{
public:
    explicit BankWindow(input::BankOptions options)
    {
        namespace vk = input::vk;
        std::vector<input::BankButton *> buttons;
        for (int i = 0; i < kButtons; ++i) {
            auto *button = new input::BankButton(this);
            button->setObjectName(QStringLiteral("Button_%1").arg(i));
            button->setCheckable(true);
            button->setFocusPolicy(Qt::StrongFocus);
            button->setGeometry(10 + i * 60, 10, 50, 30);
            button->setBackColour(input::kRestColour);
            buttons.push_back(button);
        }
        bank = new input::ButtonBank(
            buttons,
            {
                input::KeyBinding{vk::kEnter, vk::kEnter,
                                  [this](int, int index) { confirmed << index; }},
                input::KeyBinding{vk::letter('A'), vk::letter('A'),
                                  [this](int, int) { input::giveFocus(button(3)); }},
                input::KeyBinding{vk::letter('S'), vk::letter('S')},
                input::KeyBinding{vk::kLeft, vk::kLeft},
                input::KeyBinding{vk::kRight, vk::kRight},
            },
            [this](int index) { confirmed << index; }, options, this);
        resize(260, 50);
    }

    input::BankButton *button(int i) const { return bank->button(i); }
    QWidget *focused() const { return focusWidget(); }

    input::ButtonBank *bank = nullptr;
    QList<int> confirmed;
    QList<int> keysThatReachedTheWindow;

protected:
    void keyPressEvent(QKeyEvent *event) override { keysThatReachedTheWindow << event->key(); }
};

} // namespace

class ButtonBankTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<BankWindow> m_window;

    BankWindow *open(input::BankOptions options = {.mouseReleaseClearsLatches = true})
    {
        m_window = std::make_unique<BankWindow>(options);
        m_window->show();
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window.get()))
            return nullptr;
        input::giveFocus(m_window->button(0));
        return m_window.get();
    }

    static void verifyOnlyFocusedIsHighlighted(const BankWindow *window)
    {
        for (int i = 0; i < kButtons; ++i) {
            const bool focused = window->focused() == window->button(i);
            QCOMPARE(window->button(i)->backColour(),
                     focused ? input::kFocusColour : input::kRestColour);
        }
    }

private Q_SLOTS:
    void cleanup() { m_window.reset(); }

    void theFocusColourFollowsTheFocus_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("space") << "space";
        QTest::newRow("key of the table") << "key";
        QTest::newRow("mouse press") << "mouse";
        QTest::newRow("program") << "program";
        QTest::newRow("tab") << "tab";
    }

    void theFocusColourFollowsTheFocus()
    {
        QFETCH(QString, how);
        BankWindow *window = open();
        QVERIFY(window);
        QCOMPARE(window->button(0)->backColour(), input::kFocusColour);

        if (how == "space")
            testing::key(window, Qt::Key_Space);
        else if (how == "key")
            testing::key(window, Qt::Key_A);
        else if (how == "mouse")
            testing::click(window->button(2));
        else if (how == "program")
            input::giveFocus(window->button(3));
        else
            testing::key(window, Qt::Key_Tab);

        QVERIFY(window->focused() != window->button(0));
        verifyOnlyFocusedIsHighlighted(window);
    }

    void theFocusColourIsSetEvenInAnInactiveWindow()
    {
        BankWindow *window = open();
        QVERIFY(window);
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));

        QVERIFY(input::giveFocus(window->button(2)));
        verifyOnlyFocusedIsHighlighted(window);
        QCOMPARE(window->button(2)->backColour(), input::kFocusColour);
    }

    void spaceMovesToTheNextEnabledButtonAndWrapsAround()
    {
        BankWindow *window = open();
        QVERIFY(window);
        for (int expected : {1, 2, 3, 0}) {
            testing::key(window, Qt::Key_Space);
            QCOMPARE(window->focused(), window->button(expected));
        }

        // WHEN buttons 1 and 3 are disabled THEN scanning skips them
        window->button(1)->setEnabled(false);
        window->button(3)->setEnabled(false);
        for (int expected : {2, 0, 2}) {
            testing::key(window, Qt::Key_Space);
            QCOMPARE(window->focused(), window->button(expected));
        }

        // WHEN only the focused button is enabled THEN the focus stays
        window->button(0)->setEnabled(false);
        testing::key(window, Qt::Key_Space);
        QCOMPARE(window->focused(), window->button(2));
        QVERIFY(window->confirmed.isEmpty());
    }

    void enterConfirmsTheFocusedButton()
    {
        BankWindow *window = open();
        QVERIFY(window);
        testing::key(window, Qt::Key_Space);
        testing::key(window, Qt::Key_Return);
        testing::key(window, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(window->confirmed, (QList<int>{1, 1}));
    }

    void anyMouseButtonConfirmsOnThePress_data()
    {
        QTest::addColumn<Qt::MouseButton>("mouseButton");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }

    void anyMouseButtonConfirmsOnThePress()
    {
        QFETCH(Qt::MouseButton, mouseButton);
        BankWindow *window = open();
        QVERIFY(window);

        testing::press(window->button(2), mouseButton);
        QCOMPARE(window->confirmed, QList<int>{2});
        QCOMPARE(window->focused(), window->button(2));
        QVERIFY(window->button(2)->isChecked()); // drawn pressed in while held

        testing::release(window->button(2), mouseButton);
        QVERIFY(!window->button(2)->isChecked());
        QVERIFY(!window->button(2)->isDown());
        QCOMPARE(window->confirmed, QList<int>{2});
    }

    void aDoubleClickIsTwoPresses()
    {
        BankWindow *window = open();
        QVERIFY(window);
        testing::doubleClick(window->button(1));
        QCOMPARE(window->confirmed, (QList<int>{1, 1}));
        QVERIFY(!window->button(1)->isChecked());
    }

    void aDisabledButtonTakesNoPress()
    {
        BankWindow *window = open();
        QVERIFY(window);
        window->button(2)->setEnabled(false);
        testing::click(window->button(2));
        QVERIFY(window->confirmed.isEmpty());
        QCOMPARE(window->focused(), window->button(0));
    }

    void spaceAndEnterNeverClickAButton()
    {
        BankWindow *window = open();
        QVERIFY(window);
        QSignalSpy clicks(window->button(0), &QAbstractButton::clicked);
        QSignalSpy clicks3(window->button(3), &QAbstractButton::clicked);

        testing::key(window, Qt::Key_Return);
        testing::key(window, Qt::Key_A);
        testing::key(window, Qt::Key_Space);
        // with the key latch set the bank leaves keys alone, yet SPACE and
        // ENTER still must not reach the toolkit
        window->bank->TastoPremuto = true;
        window->bank->SpazioPremuto = true;
        testing::keyDown(window, Qt::Key_Return, QStringLiteral("\r"));
        testing::keyDown(window, Qt::Key_Space, QStringLiteral(" "));

        QCOMPARE(clicks.count(), 0);
        QCOMPARE(clicks3.count(), 0);
        QVERIFY(!window->button(0)->isChecked());
        QVERIFY(!window->button(0)->isDown());
        QVERIFY(window->keysThatReachedTheWindow.isEmpty());
    }

    void keysOutsideTheTableAreSwallowedAndAcceptedOnesWithoutActionPassOn()
    {
        BankWindow *window = open();
        QVERIFY(window);
        for (Qt::Key key : {Qt::Key_X, Qt::Key_Up, Qt::Key_Escape, Qt::Key_Shift})
            testing::key(window, key);
        QVERIFY(window->keysThatReachedTheWindow.isEmpty());
        QVERIFY(!window->bank->TastoPremuto);
        QCOMPARE(window->focused(), window->button(0));

        // S is accepted without an action: the toolkit handles it, and a push
        // button passes it on to its window
        testing::keyDown(window, Qt::Key_S, QStringLiteral("s"));
        QCOMPARE(window->keysThatReachedTheWindow, QList<int>{Qt::Key_S});
        QVERIFY(window->bank->TastoPremuto);
        // the right arrow, accepted the same way, moves the focus as the toolkit does
        testing::keyUp(window, Qt::Key_S, QStringLiteral("s"));
        testing::key(window, Qt::Key_Right);
        QCOMPARE(window->focused(), window->button(1));
        QVERIFY(window->confirmed.isEmpty());
    }

    void aHeldKeyActsOnce_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("focusAfter");
        QTest::addColumn<QList<int>>("confirmedAfter");
        QTest::newRow("space") << Qt::Key_Space << " " << 1 << QList<int>{};
        QTest::newRow("enter") << Qt::Key_Return << "\r" << 0 << QList<int>{0};
        QTest::newRow("key of the table") << Qt::Key_A << "a" << 3 << QList<int>{};
    }

    void aHeldKeyActsOnce()
    {
        QFETCH(Qt::Key, key);
        QFETCH(QString, text);
        QFETCH(int, focusAfter);
        QFETCH(QList<int>, confirmedAfter);
        BankWindow *window = open();
        QVERIFY(window);

        testing::keyDown(window, key, text);
        const bool spaceLatch = window->bank->SpazioPremuto;
        const bool keyLatch = window->bank->TastoPremuto;
        for (int i = 0; i < 5; ++i) {
            testing::keyUp(window, key, text, true);
            testing::keyDown(window, key, text, true);
        }
        // THEN the repeats neither acted nor cleared the latches
        QCOMPARE(window->focused(), window->button(focusAfter));
        QCOMPARE(window->confirmed, confirmedAfter);
        QCOMPARE(window->bank->SpazioPremuto, spaceLatch);
        QCOMPARE(window->bank->TastoPremuto, keyLatch);
        QVERIFY(spaceLatch || keyLatch);

        // WHEN the key is let go THEN the latches clear and it acts again
        testing::keyUp(window, key, text);
        QVERIFY(!window->bank->SpazioPremuto);
        QVERIFY(!window->bank->TastoPremuto);
        input::giveFocus(window->button(0));
        testing::key(window, key);
        QCOMPARE(window->focused(), window->button(focusAfter));
        QCOMPARE(window->confirmed.size(), 2 * confirmedAfter.size());
    }

    void aLatchedBankIgnoresTheNextKeyUntilAKeyOrMouseRelease_data()
    {
        QTest::addColumn<Qt::Key>("released");
        QTest::addColumn<int>("focusAfterRelease");
        QTest::newRow("a key of the table") << Qt::Key_A << 0;
        QTest::newRow("TAB, which the toolkit moves on") << Qt::Key_Tab << 1;
    }

    void aLatchedBankIgnoresTheNextKeyUntilAKeyOrMouseRelease()
    {
        QFETCH(Qt::Key, released);
        QFETCH(int, focusAfterRelease);
        BankWindow *window = open();
        QVERIFY(window);
        window->bank->TastoPremuto = true;
        testing::keyDown(window, released);
        testing::keyUp(window, released);
        QCOMPARE(window->focused(), window->button(focusAfterRelease));
        testing::key(window, Qt::Key_A);
        QCOMPARE(window->focused(), window->button(3));

        // a mouse release clears the latches on a bank that asks for it
        window->bank->TastoPremuto = true;
        window->bank->SpazioPremuto = true;
        testing::click(window->button(1));
        QVERIFY(!window->bank->TastoPremuto);
        QVERIFY(!window->bank->SpazioPremuto);
    }

    // The key as the pupil's keyboard means it: what it types, wherever a
    // program that types for the pupil put it; a top-row key that types
    // another character is the digit of its place, whatever the layout and
    // the modifiers; the keypad's digit keys stay digits under SHIFT. The
    // places are XKB's on X11 and Wayland, Windows' own scan codes there.
    void theKeyIsWhatItTypesOrItsTopRowDigit_data()
    {
        using input::vk::ScanCodes;
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<quint32>("keycode"); // XKB: the key marked 7 is 16; Windows: 8
        QTest::addColumn<ScanCodes>("scanCodes");
        QTest::addColumn<int>("code");
        const Qt::KeyboardModifiers none, shift(Qt::ShiftModifier), keypad(Qt::KeypadModifier);
        const ScanCodes xkb = ScanCodes::Xkb, windows = ScanCodes::Windows;
        QTest::newRow("SHIFT+7, Italian") << int(Qt::Key_Slash) << shift << 16u << xkb << 55;
        QTest::newRow("CTRL+7") << int(Qt::Key_7) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                << 16u << xkb << 55;
        QTest::newRow("ALT+7") << int(Qt::Key_7) << Qt::KeyboardModifiers(Qt::AltModifier) << 16u
                               << xkb << 55;
        QTest::newRow("French è") << int(Qt::Key_Egrave) << none << 16u << xkb << 55;
        QTest::newRow("French à") << int(Qt::Key_Agrave) << none << 19u << xkb << 48;
        QTest::newRow("Qt Test's 7, no keycode")
            << int(Qt::Key_7) << none << 0u << ScanCodes::Unknown << 55;
        QTest::newRow("keypad 7") << int(Qt::Key_7) << keypad << 79u << xkb << 103;
        QTest::newRow("SHIFT+keypad 7, NumLock on")
            << int(Qt::Key_Home) << (shift | keypad) << 79u << xkb << 103;
        QTest::newRow("keypad 7, NumLock off") << int(Qt::Key_Home) << keypad << 79u << xkb << 0;
        QTest::newRow("SHIFT+ENTER") << int(Qt::Key_Return) << shift << 36u << xkb << 13;
        QTest::newRow("French A, on the Q key") << int(Qt::Key_A) << none << 24u << xkb << 65;
        QTest::newRow("SHIFT+* of the Italian + key")
            << int(Qt::Key_Asterisk) << shift << 35u << xkb << 0;
        QTest::newRow("SHIFT+^ of a dead key on the top row")
            << int(Qt::Key_Dead_Circumflex) << shift << 15u << xkb << 54;
        // A keymap of an on-screen keyboard or a switch program.
        QTest::newRow("7 typed through the 1 key's keycode")
            << int(Qt::Key_7) << none << 10u << xkb << 55;
        QTest::newRow("ENTER typed through a top-row keycode")
            << int(Qt::Key_Return) << none << 12u << xkb << 13;
        QTest::newRow("C typed through a top-row keycode")
            << int(Qt::Key_C) << none << 13u << xkb << 67;
        QTest::newRow("F5 typed through a top-row keycode")
            << int(Qt::Key_F5) << none << 14u << xkb << 0;
        // Windows: the same keys by its scan codes.
        QTest::newRow("Windows SHIFT+7, Italian") << int(Qt::Key_Slash) << shift << 8u << windows << 55;
        QTest::newRow("Windows French à") << int(Qt::Key_Agrave) << none << 11u << windows << 48;
        QTest::newRow("Windows keypad 7") << int(Qt::Key_7) << keypad << 71u << windows << 103;
        QTest::newRow("Windows keypad 0, NumLock on, SHIFT lifted")
            << int(Qt::Key_Insert) << (shift | keypad) << 82u << windows << 96;
        QTest::newRow("Windows keypad 7, NumLock off")
            << int(Qt::Key_Home) << keypad << 71u << windows << 0;
        QTest::newRow("Windows keypad *") << int(Qt::Key_Asterisk) << keypad << 55u << windows << 106;
        QTest::newRow("Windows SHIFT+* of the Italian + key")
            << int(Qt::Key_Asterisk) << shift << 27u << windows << 0;
        QTest::newRow("XKB's 7 place on Windows is no digit")
            << int(Qt::Key_Egrave) << none << 16u << windows << 0;
    }

    void theKeyIsWhatItTypesOrItsTopRowDigit()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(quint32, keycode);
        QFETCH(input::vk::ScanCodes, scanCodes);
        QFETCH(int, code);
        QCOMPARE(input::vk::fromKey(key, modifiers, keycode, scanCodes), code);
    }

    // With Num Lock on, Windows lifts SHIFT before it sends a keypad digit key
    // that SHIFT turned into a cursor key; Num Lock alone says it was held.
    void windowsKeypadDigitsUnderShiftStayDigits()
    {
        if (QGuiApplication::platformName() != QLatin1String("windows"))
            QSKIP("Windows' scan codes and its Num Lock state come from its own platform");
        constexpr quint32 kHomeKey = 0x24, kNumLock = 0x200;
        const QKeyEvent numLockOn(QEvent::KeyPress, Qt::Key_Home, Qt::KeypadModifier, 71, kHomeKey,
                                  kNumLock);
        QCOMPARE(input::vk::fromEvent(numLockOn), 103);
        const QKeyEvent numLockOff(QEvent::KeyPress, Qt::Key_Home, Qt::KeypadModifier, 71, kHomeKey,
                                   0);
        QCOMPARE(input::vk::fromEvent(numLockOff), 0);
    }

    void aModifiedSpaceScansAndAModifiedEnterConfirms()
    {
        BankWindow *window = open();
        QVERIFY(window);
        testing::keyDown(window, Qt::Key_Space, QString(QChar(0)), false, Qt::ControlModifier);
        testing::keyUp(window, Qt::Key_Space, QString(QChar(0)), false, Qt::ControlModifier);
        QCOMPARE(window->focused(), window->button(1));
        testing::key(window, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(window->confirmed, QList<int>{1});
    }

    void aMouseReleaseKeepsTheLatchesOnABankThatDoesNotClearThem()
    {
        BankWindow *window = open({.mouseReleaseClearsLatches = false});
        QVERIFY(window);
        window->bank->TastoPremuto = true;
        testing::click(window->button(1));
        QVERIFY(window->bank->TastoPremuto);
        QCOMPARE(window->confirmed, QList<int>{1});
    }

    void aKeyReleaseClearsTheSelectionOnlyWhereTheBankSaysSo_data()
    {
        QTest::addColumn<bool>("keyUpClearsSelection");
        QTest::newRow("clears") << true;
        QTest::newRow("keeps") << false;
    }

    void aKeyReleaseClearsTheSelectionOnlyWhereTheBankSaysSo()
    {
        QFETCH(bool, keyUpClearsSelection);
        BankWindow *window = open({.keyUpClearsSelection = keyUpClearsSelection});
        QVERIFY(window);
        window->button(0)->setChecked(true);
        testing::key(window, Qt::Key_X);
        QCOMPARE(window->button(0)->isChecked(), !keyUpClearsSelection);
    }
};

QTEST_MAIN(ButtonBankTest)
#include "tst_buttonbank.moc"
