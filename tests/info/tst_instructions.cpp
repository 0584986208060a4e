#include <QTest>

#include "TestSupport.h"
#include "app/Windows.h"
#include "info/frmIstruzioni.h"
#include "layout/Controls.h"

namespace {

const QStringList kLines{
    QStringLiteral(" I dati possono essere immessi con: "),
    QStringLiteral(" - la tastiera ed il tastierino"),
    QStringLiteral(" - il mouse"),
    QStringLiteral(" - la scansione manuale"),
    QString(),
    QString(),
    QStringLiteral(" PER UTILIZZARE LA TASTIERA ED IL TASTIERINO"),
    QStringLiteral(" Premere il numero ordinale del pulsante."),
    QStringLiteral(" Oltre il numero 9 premere la lettera iniziale dei pulsanti."),
    QString(),
    QStringLiteral(" PER UTILIZZARE  IL MOUSE "),
    QStringLiteral(" Cliccare con il pulsante sinistro."),
    QString(),
    QStringLiteral(" PER UTILIZZARE LA SCANSIONE MANUALE "),
    QStringLiteral(" Premere la BARRA-SPAZIO per scegliere, premere INVIO per confermare."),
};

} // namespace

class InstructionsTest : public QObject
{
    Q_OBJECT

private:
    frmIstruzioni *open()
    {
        app::Load<frmIstruzioni>();
        app::Show<frmIstruzioni>();
        frmIstruzioni *window = app::Loaded<frmIstruzioni>();
        if (!window || !QTest::qWaitForWindowActive(window))
            return nullptr;
        return window;
    }

private Q_SLOTS:
    void cleanup()
    {
        app::Unload<frmIstruzioni>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void showsFifteenLinesJoinedByCarriageReturns()
    {
        for (int opening = 0; opening < 2; ++opening) {
            frmIstruzioni *window = open();
            QVERIFY(window);
            QCOMPARE(window->windowTitle(), QStringLiteral("ISTRUZIONI"));
            QCOMPARE(window->TestoIstruzioni, kLines.join(QChar(13)));
            QCOMPARE(window->Label1()->caption(), window->TestoIstruzioni);
            QCOMPARE(window->Label1()->text().split(QLatin1Char('\n')), kLines);
            QCOMPARE(window->Command1()->text(), QStringLiteral("C h i u d i"));
            QCOMPARE(window->innerWidthTwips(), 9000);
            QCOMPARE(window->innerHeightTwips(), 5745);
            window->Command1_Click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!app::Loaded<frmIstruzioni>());
        }
    }

    void closeButtonHoldsTheFocusAndClosesByEveryMeans_data()
    {
        QTest::addColumn<int>("means");
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("mouse") << 0;
    }

    void closeButtonHoldsTheFocusAndClosesByEveryMeans()
    {
        QFETCH(int, means);
        frmIstruzioni *window = open();
        QVERIFY(window);
        TRY_VERIFY(window->Command1()->hasFocus());
        if (means == 0)
            testing::click(window->Command1());
        else
            testing::key(window, static_cast<Qt::Key>(means));
        QVERIFY(!app::Loaded<frmIstruzioni>());
    }
};

QTEST_MAIN(InstructionsTest)
#include "tst_instructions.moc"
