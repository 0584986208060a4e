#include <QSignalSpy>
#include <QTest>

#include "TestSupport.h"
#include "app/SharedState.h"
#include "app/Windows.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"

class StartWindowTest : public QObject
{
    Q_OBJECT

private:
    FrmInizio *open()
    {
        app::Load<FrmInizio>();
        app::Show<FrmInizio>();
        FrmInizio *window = app::Loaded<FrmInizio>();
        if (!QTest::qWaitForWindowActive(window))
            return nullptr;
        return window;
    }

private Q_SLOTS:
    void cleanup()
    {
        app::Unload<FrmInizio>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void startsWithFocusOnCentreZero()
    {
        FrmInizio *window = open();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Dorvala"));
        QTRY_VERIFY(window->Option1(0)->hasFocus());
        QCOMPARE(window->Label7()->caption(), QStringLiteral("Vers.1.0\rMouse "));
        QCOMPARE(window->Label7()->text(), QStringLiteral("Vers.1.0\nMouse "));
        QCOMPARE(window->Option1(0)->backColour(), input::kFocusColour);
        QCOMPARE(window->Option1(1)->backColour(), input::kRestColour);
    }

    void digitThenEnterChoosesCentre()
    {
        FrmInizio *window = open();
        QVERIFY(window);
        testing::key(window, Qt::Key_7);
        QVERIFY(window->Option1(7)->hasFocus());
        QVERIFY(window->Label1()->caption().isEmpty());
        testing::key(window, Qt::Key_Return);
        QCOMPARE(window->Label1()->caption(), QStringLiteral("Sole del 7"));
        QCOMPARE(app::NumeroCentrale, 7);
        QVERIFY(window->Option2(0)->hasFocus());
    }
};

QTEST_MAIN(StartWindowTest)
#include "tst_startwindow.moc"
