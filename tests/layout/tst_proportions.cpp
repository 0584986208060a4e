#include <QTest>
#include <array>

#include "LayoutSupport.h"
#include "TestSupport.h"
#include "app/Windows.h"
#include "layout/Controls.h"

using layout::ControlDef;
using layout::Kind;

namespace {

constexpr int kInnerWidth = 9000; // 600 by 400 pixels
constexpr int kInnerHeight = 6000;
constexpr layout::Font kTextFont{"Arial", 12, true};

// One control of every kind the layout treats in its own way: a timer with a
// place but no size, a docked box, a frame holding a label and a circle, a
// hidden label, a stretched picture, an array of buttons and a menu item.
constexpr std::array kTestControls{
    ControlDef{.name = "Timer1",
               .kind = Kind::Timer,
               .left = 300,
               .top = 600,
               .enabled = false,
               .interval = 100},
    ControlDef{.name = "Curtain",
               .kind = Kind::PictureBox,
               .width = 300,
               .height = kInnerHeight,
               .back = {255, 128, 255},
               .dock = layout::Dock::Left},
    ControlDef{.name = "Box",
               .kind = Kind::Frame,
               .left = 1500,
               .top = 900,
               .width = 4500,
               .height = 3000,
               .bordered = true},
    ControlDef{.name = "Inner",
               .kind = Kind::Label,
               .container = "Box",
               .left = 300,
               .top = 450,
               .width = 1237,
               .height = 600,
               .caption = "Testo",
               .font = kTextFont},
    ControlDef{.name = "Disc",
               .kind = Kind::Shape,
               .container = "Box",
               .left = 2100,
               .top = 300,
               .width = 1500,
               .height = 1500,
               .back = layout::kPaleYellow,
               .shape = layout::ShapeKind::Circle},
    ControlDef{.name = "Hidden",
               .kind = Kind::Label,
               .left = 6750,
               .top = 4500,
               .width = 1800,
               .height = 900,
               .caption = "?",
               .font = kTextFont,
               .back = layout::kPaleYellow,
               .opaque = true,
               .visible = false},
    ControlDef{.name = "Picture",
               .kind = Kind::Image,
               .left = 6000,
               .top = 300,
               .width = 2400,
               .height = 1800,
               .resource = ":/sole.jpg"},
    ControlDef{.name = "Button",
               .index = 0,
               .kind = Kind::OptionButton,
               .left = 300,
               .top = 5100,
               .width = 1200,
               .height = 600,
               .caption = "A",
               .font = kTextFont},
    ControlDef{.name = "Button",
               .index = 1,
               .kind = Kind::OptionButton,
               .left = 1800,
               .top = 5100,
               .width = 1200,
               .height = 600,
               .caption = "B",
               .font = kTextFont},
    ControlDef{.name = "mnuProva", .kind = Kind::MenuItem, .caption = "Prova"},
};

constexpr layout::WindowDef kTestWindow{
    .caption = "Prova",
    .innerWidth = kInnerWidth,
    .innerHeight = kInnerHeight,
    .controls = kTestControls,
};

// A window that lays itself out as the two main windows do, and notes the
// inner size it saw at each resize.
class TestForm : public app::Form
{
public:
    TestForm() : app::Form(kTestWindow) {}
    void Form_Load() override { MemorizzaProporzioni(); }
    void Form_Resize() override
    {
        sizesSeen.append(QSize(innerWidthTwips(), innerHeightTwips()));
        ApplicaProporzioni();
    }
    QList<QSize> sizesSeen;
};

QList<QRect> geometries(const app::Form *window)
{
    QList<QRect> result;
    for (const layout::Control &control : window->controls())
        if (const QWidget *widget = control.widget())
            result.append(widget->geometry());
    return result;
}

QSize innerTwips(const app::Form *window)
{
    return window->client()->size() * layout::kTwipsPerPixel;
}

} // namespace

class ProportionsTest : public QObject
{
    Q_OBJECT

private:
    TestForm *open()
    {
        app::Load<TestForm>();
        app::Show<TestForm>();
        TestForm *window = app::Loaded<TestForm>();
        return QTest::qWaitForWindowExposed(window) ? window : nullptr;
    }

    // Docked boxes stand at their edge, full height, with their width scaled.
    static void verifyDocked(const app::Form *window, double xFactor)
    {
        for (const layout::Control &control : window->controls())
            if (control.widget() && testing::isDocked(*control.def))
                QCOMPARE(control.widget()->geometry(),
                         QRect(0, 0, layout::twipsToPixels(control.def->width * xFactor),
                               window->client()->height()));
    }

private Q_SLOTS:
    void cleanup()
    {
        app::Unload<TestForm>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void tableHasOneEntryPerControlInCollectionOrder()
    {
        app::Load<TestForm>();
        const TestForm *window = app::Loaded<TestForm>();
        const auto &table = window->ProporzioniControlli;
        QCOMPARE(table.size(), kTestControls.size());

        // A timer has a place but no size, a menu item neither: those fields stay 0.
        QCOMPARE(table[0].Sinistra, static_cast<float>(300.0 / kInnerWidth));
        QCOMPARE(table[0].Alto, static_cast<float>(600.0 / kInnerHeight));
        QCOMPARE(table[0].Larghezza, 0.0f);
        QCOMPARE(table[0].Altezza, 0.0f);
        const layout::Proporzioni &menu = table.back();
        QCOMPARE(menu.Larghezza + menu.Altezza + menu.Alto + menu.Sinistra, 0.0f);

        // A control in a frame is measured from the frame, against the window's inner area.
        const layout::Proporzioni &inner = table[3];
        QCOMPARE(inner.Sinistra, static_cast<float>(300.0 / kInnerWidth));
        QCOMPARE(inner.Larghezza, static_cast<float>(1237.0 / kInnerWidth));
        QCOMPARE(inner.Altezza, static_cast<float>(600.0 / kInnerHeight));
    }

    void firstShowAtDesignSizeMovesNothing()
    {
        app::Load<TestForm>();
        const QList<QRect> designed = geometries(app::Loaded<TestForm>());
        TestForm *window = open();
        QVERIFY(window);
        QVERIFY(!window->sizesSeen.isEmpty());
        QCOMPARE(window->sizesSeen.last(), QSize(kInnerWidth, kInnerHeight));
        QCOMPARE(geometries(window), designed);
    }

    void scalingTheInnerArea_data()
    {
        QTest::addColumn<int>("xFactor");
        QTest::addColumn<int>("yFactor");
        QTest::newRow("double width") << 2 << 1;
        QTest::newRow("double height") << 1 << 2;
        QTest::newRow("three times both") << 3 << 3;
    }

    void scalingTheInnerArea()
    {
        QFETCH(int, xFactor);
        QFETCH(int, yFactor);
        TestForm *window = open();
        QVERIFY(window);
        QVERIFY(testing::setInnerSize(window, twipsToPixels(kInnerWidth) * xFactor,
                                      twipsToPixels(kInnerHeight) * yFactor));
        QCOMPARE(window->sizesSeen.last(), innerTwips(window));
        const QString mismatch = testing::scaledLayoutMismatch(window, xFactor, yFactor);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        verifyDocked(window, xFactor);

        QVERIFY(window->control<QWidget>("Hidden")->isHidden());
        const auto *disc = window->control<layout::Shape>("Disc");
        const QRect drawn = disc->drawnRect();
        QCOMPARE(drawn.width(), drawn.height());
        QCOMPARE(drawn.width(), std::min(disc->width(), disc->height()));
        QCOMPARE(drawn.center(), disc->rect().center());
    }

    void minimiseLaysOutAtNothingAndRestoreGivesTheLayoutBack()
    {
        TestForm *window = open();
        QVERIFY(window);
        QVERIFY(testing::setInnerSize(window, 913, 577));
        const QList<QRect> before = geometries(window);

        // WHEN
        window->showMinimized();
        // THEN
        QCOMPARE(window->sizesSeen.last(), QSize(0, 0));
        for (const layout::Control &control : window->controls()) {
            const QWidget *widget = control.widget();
            if (!widget)
                continue;
            if (testing::isDocked(*control.def))
                QCOMPARE(widget->width(), 0);
            else
                QCOMPARE(widget->geometry(), QRect(0, 0, 0, 0));
        }

        // WHEN
        window->showNormal();
        // THEN
        QCOMPARE(window->sizesSeen.last(), QSize(913 * 15, 577 * 15));
        QCOMPARE(geometries(window), before);
    }

    void maximiseAndRestoreLayOutAtEachSize()
    {
        TestForm *window = open();
        QVERIFY(window);
        const QList<QRect> before = geometries(window);
        const QSize normal = window->client()->size();

        window->showMaximized();
        TRY_VERIFY(window->client()->size() != normal);
        QCOMPARE(window->sizesSeen.last(), innerTwips(window));
        const QSize maximised = innerTwips(window);
        const QString mismatch =
            testing::scaledLayoutMismatch(window, double(maximised.width()) / kInnerWidth,
                                          double(maximised.height()) / kInnerHeight, 1);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));

        window->showNormal();
        TRY_COMPARE(window->client()->size(), normal);
        QCOMPARE(window->sizesSeen.last(), innerTwips(window));
        QCOMPARE(geometries(window), before);
    }

    void stateChangeWithoutResizeLaysTheWindowOut()
    {
        // Some window systems report a minimise or restore as a change of state
        // only, with no new size: the toolkit then just tells the window.
        TestForm *window = open();
        QVERIFY(window);
        const QList<QRect> before = geometries(window);
        window->sizesSeen.clear();

        window->overrideWindowState(Qt::WindowMinimized);
        QCOMPARE(window->sizesSeen, QList<QSize>{QSize(0, 0)});
        QCOMPARE(window->control<QWidget>("Box")->geometry(), QRect(0, 0, 0, 0));

        window->overrideWindowState(Qt::WindowNoState);
        QCOMPARE(window->sizesSeen.size(), 2);
        QCOMPARE(window->sizesSeen.last(), QSize(kInnerWidth, kInnerHeight));
        QCOMPARE(geometries(window), before);

        // A state change whose state is unchanged lays the window out all the same.
        window->control<QWidget>("Box")->move(1, 1);
        QWindowStateChangeEvent unchanged(Qt::WindowNoState);
        QCoreApplication::sendEvent(window, &unchanged);
        QCOMPARE(window->sizesSeen.size(), 3);
        QCOMPARE(geometries(window), before);
    }

    void resizePutsBackWhatWasMovedMeanwhile()
    {
        TestForm *window = open();
        QVERIFY(window);
        QVERIFY(testing::setInnerSize(window, 700, 450));
        const QList<QRect> before = geometries(window);
        window->control<QWidget>("Inner")->move(5, 5);
        window->control<QWidget>("Hidden")->setGeometry(1, 2, 3, 4);

        QVERIFY(testing::setInnerSize(window, 701, 450));
        QVERIFY(testing::setInnerSize(window, 700, 450));
        QCOMPARE(geometries(window), before);
    }

    void repeatedResizingAccumulatesNoError()
    {
        TestForm *window = open();
        QVERIFY(window);
        const QList<QRect> designed = geometries(window);
        const QList<QSize> sizes{{601, 397}, {233, 171}, {1013, 779}, {37, 23}, {640, 401}};
        for (const QSize &size : sizes)
            QVERIFY(testing::setInnerSize(window, size.width(), size.height()));
        QVERIFY(
            testing::setInnerSize(window, twipsToPixels(kInnerWidth), twipsToPixels(kInnerHeight)));
        QCOMPARE(geometries(window), designed);
    }

private:
    static int twipsToPixels(int twips) { return layout::twipsToPixels(twips); }
};

QTEST_MAIN(ProportionsTest)
#include "tst_proportions.moc"
