// The author window: its fixed contents, and its closing by the button (click,
// SPACE or ENTER) or by the close box, each of which ends its modal showing.

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "TestSupport.h"
#include "app/Windows.h"
#include "info/frmAutore.h"
#include "layout/Controls.h"

namespace {

constexpr int px(int twips)
{
    return (twips + 7) / 15;
}
const QColor kBlue{0, 0, 192};

} // namespace

class AuthorWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        app::Unload<frmAutore>();
        testing::flushDeletes();
    }

    void itShowsTheAddressesUnderTheirHeadings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QString>("pattern"); // what the caption must look like
        QTest::newRow("Label1") << "Label1" << QRect(195, 135, 4455, 435) << false
                                << QColor(Qt::black) << "^Sito dell'autore:$";
        QTest::newRow("Label2") << "Label2" << QRect(165, 555, 6795, 510) << true << kBlue
                                << "^https?://[a-z0-9.-]+\\.[a-z]+(/\\S*)?$";
        QTest::newRow("Label3") << "Label3" << QRect(195, 1170, 1350, 435) << false
                                << QColor(Qt::black) << "^Email:$";
        QTest::newRow("Label4") << "Label4" << QRect(195, 1605, 5955, 510) << true << kBlue
                                << "^[a-z0-9._-]+@[a-z0-9.-]+\\.[a-z]+$";
    }

    void itShowsTheAddressesUnderTheirHeadings()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(bool, bold);
        QFETCH(QColor, text);
        QFETCH(QString, pattern);
        frmAutore *window = app::Load<frmAutore>();
        const auto *label = window->control<layout::Label>(name.toLatin1().constData());
        QVERIFY(label);
        QVERIFY2(QRegularExpression(pattern).match(label->caption()).hasMatch(),
                 qPrintable(label->caption()));
        QCOMPARE(label->geometry(),
                 QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
        QCOMPARE(label->font().family(), QStringLiteral("Arial"));
        QCOMPARE(label->font().pointSizeF(), 18.0);
        QCOMPARE(label->font().bold(), bold);
        QCOMPARE(label->palette().color(QPalette::WindowText), text);
        QVERIFY(!layout::backColour(label).isValid()); // transparent
        QCOMPARE(label->textFormat(), Qt::PlainText);  // an address is no link
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }

    void itIsAFixedCyanWindowCentredWithOnlyItsButtonFocusable()
    {
        app::Show<frmAutore>();
        frmAutore *window = app::Loaded<frmAutore>();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->windowTitle(), QStringLiteral("Autore"));
        QVERIFY(!window->menuWidget());
        QCOMPARE(window->client()->size(), QSize(px(6975), px(3510)));
        QCOMPARE(layout::backColour(window->client()), QColor(192, 255, 255));
        const QPoint offCentre =
            window->frameGeometry().center() - window->screen()->availableGeometry().center();
        QVERIFY(offCentre.manhattanLength() <= 1);

        layout::FlatButton *button = window->Command1();
        QCOMPARE(button->text(), QStringLiteral("C h i u d i"));
        QCOMPARE(button->geometry(), QRect(px(1845), px(2796), px(2700), px(648)));
        QCOMPARE(button->backColour(), QColor(128, 255, 255));
        QCOMPARE(button->font().family(), QStringLiteral("Arial"));
        QCOMPARE(button->font().pointSizeF(), 12.0);
        QVERIFY(!button->font().bold());
        TRY_COMPARE(QApplication::focusWidget(), button);
        // TAB finds nothing else to go to
        testing::key(window, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), button);
    }

    void eachWayOfClosingEndsTheModalShowing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("click") << "click";
        QTest::newRow("space") << "space";
        QTest::newRow("enter") << "enter";
        QTest::newRow("close box") << "close";
    }

    void eachWayOfClosingEndsTheModalShowing()
    {
        QFETCH(QString, how);
        bool clickedAnAddress = false;
        QTimer::singleShot(0, this, [&] {
            frmAutore *window = app::Loaded<frmAutore>();
            if (!window || !QTest::qWaitForWindowActive(window))
                return;
            // pressing an address does nothing
            testing::click(window->control<QLabel>("Label2"));
            clickedAnAddress = app::Loaded<frmAutore>() == window;
            if (how == "click")
                testing::click(window->Command1());
            else if (how == "space")
                testing::key(window, Qt::Key_Space);
            else if (how == "enter")
                testing::key(window, Qt::Key_Return);
            else
                window->windowHandle()->close();
        });
        QTimer::singleShot(testing::kEventTimeoutMs, this, [] { app::Unload<frmAutore>(); });

        app::Show<frmAutore>(app::Modality::Modal);

        QVERIFY(clickedAnAddress);
        QVERIFY(!app::Loaded<frmAutore>());
        QVERIFY(!QGuiApplication::modalWindow());
    }
};

QTEST_MAIN(AuthorWindowTest)
#include "tst_autore.moc"
