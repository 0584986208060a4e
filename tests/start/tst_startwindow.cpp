// The start window as designed, its start-up, the choice of a centre, its
// commands, the author menu and the end of the program.

#include <QApplication>
#include <QFontInfo>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "StartSupport.h"
#include "TestSupport.h"
#include "app/Windows.h"
#include "exercise/frmOperativo.h"
#include "info/frmAutore.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int px(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
constexpr int kInnerWidth = 11880;
constexpr int kInnerHeight = 8310;
const QColor kPeach{255, 224, 192};
const QColor kNavy{0, 0, 128};
// The design's Arial; elsewhere than on Windows, Liberation Sans stands in.
#ifdef Q_OS_WIN
const QString kSans = QStringLiteral("Arial");
#else
const QString kSans = QStringLiteral("Liberation Sans");
#endif

QStringList childNames(const QWidget *parent)
{
    QStringList names;
    for (const QObject *child : parent->children())
        if (child->isWidgetType())
            names.prepend(child->objectName()); // the last child is drawn on top
    return names;
}

// Notes in a list the class of each window as it is hidden.
class HideLog : public QObject
{
public:
    explicit HideLog(QStringList &log) : m_log(log) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && watched->isWidgetType())
            m_log << QString::fromLatin1(watched->metaObject()->className());
        return false;
    }

private:
    QStringList &m_log;
};

} // namespace

class StartWindowTest : public QObject
{
    Q_OBJECT

private:
    static FrmInizio *open() { return testing::openStartWindow(); }

    static QWidget *widget(const FrmInizio *window, const char *name, int index = -1)
    {
        return window->control<QWidget>(name, index);
    }

private Q_SLOTS:
    void cleanup()
    {
        app::setOnAllUnloaded({});
        app::Unload<FrmInizio>();
        app::Unload<frmAutore>();
        app::Unload<frmOperativo>();
        testing::flushDeletes();
    }

    void everyControlIsInItsContainerAtItsPlace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("twips");
        auto row = [](const char *name, int index, const char *kind, const char *container,
                      QRect twips) {
            const QString tag = index < 0 ? QString::fromLatin1(name)
                                          : QStringLiteral("%1(%2)").arg(name).arg(index);
            QTest::newRow(qPrintable(tag))
                << QString::fromLatin1(name) << index << QString::fromLatin1(kind)
                << QString::fromLatin1(container) << twips;
        };
        row("Picture1", -1, "layout::Frame", "client", {0, 0, 120, kInnerHeight});
        row("Picture2", -1, "layout::Frame", "client",
            {px(kInnerWidth) * kTwipsPerPixel - px(228) * kTwipsPerPixel, 0, 228, kInnerHeight});
        row("frmTitolo", -1, "layout::Frame", "client", {0, 0, 11745, 2295});
        row("frame1", -1, "layout::Frame", "client", {6525, 2805, 4125, 2805});
        row("Frame2", -1, "layout::Frame", "client", {6525, 5685, 4125, 2400});
        row("Image1", -1, "layout::Image", "client", {570, 2865, 5310, 4755});
        row("Label2", -1, "layout::Label", "client", {6645, 2265, 3930, 570});
        row("Label1", -1, "layout::Label", "client", {570, 2280, 5505, 570});
        row("Label5", -1, "layout::Label", "client", {570, 7740, 5340, 465});
        row("Label4", -1, "layout::Label", "frmTitolo", {330, 330, 7800, 1395});
        row("Label7", -1, "layout::Label", "frmTitolo", {8730, 405, 2250, 1140});
        row("Shape2", -1, "layout::Shape", "frmTitolo", {90, 60, 8160, 1875});
        row("Shape1", -1, "layout::Shape", "frmTitolo", {90, 90, 8220, 1935});
        row("Shape3", -1, "layout::Shape", "frmTitolo", {8385, 60, 3120, 1875});
        row("Shape4", -1, "layout::Shape", "frmTitolo", {8340, 30, 3180, 1935});
        const int columnLeft[] = {135, 1425, 2715};
        const int rowTop[] = {225, 825, 1425};
        for (int i = 0; i <= 8; ++i)
            row("Option1", i, "input::BankButton", "frame1",
                {columnLeft[i % 3], rowTop[i / 3], 1230, 585});
        row("Option1", 9, "input::BankButton", "frame1", {135, 2025, 1860, 630});
        row("Option1", 10, "input::BankButton", "frame1", {2085, 2025, 1860, 630});
        row("Option2", 0, "input::BankButton", "Frame2", {90, 150, 3870, 630});
        row("Option2", 1, "input::BankButton", "Frame2", {90, 840, 3870, 630});
        row("Option2", 2, "input::BankButton", "Frame2", {90, 1515, 3870, 630});
    }

    void everyControlIsInItsContainerAtItsPlace()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, kind);
        QFETCH(QString, container);
        QFETCH(QRect, twips);
        // Read before the first show: the curtains and the layout move things later.
        FrmInizio *window = app::Load<FrmInizio>();
        const QWidget *control = widget(window, name.toLatin1().constData(), index);
        QVERIFY(control);
        QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
        QCOMPARE(control->parentWidget()->objectName(), container);
        QCOMPARE(control->geometry(),
                 QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
        QVERIFY(control->isVisibleTo(window));
        QVERIFY(control->isEnabled());
    }

    void labelsAndButtonsShowTheirCaptionsFontsAndColours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("back"); // invalid: transparent
        QTest::addColumn<bool>("centred");
        QTest::newRow("Label2") << "Label2"
                                << "Scegli il centro"
                                << "Arial" << 18.0 << QColor(128, 0, 0) << QColor() << true;
        QTest::newRow("Label1") << "Label1"
                                << ""
                                << "Arial" << 27.75 << QColor(Qt::black) << QColor() << true;
        QTest::newRow("Label5") << "Label5"
                                << "Il nuovo software di Talvero"
                                << "Arial" << 18.0 << QColor(192, 0, 0) << kPeach << false;
        QTest::newRow("Label4") << "Label4"
                                << "Pinnuvo"
                                << "Arial" << 27.75 << kNavy << kPeach << true;
        QTest::newRow("Label7") << "Label7"
                                << ""
                                << "Arial" << 9.75 << QColor(0, 0, 192) << QColor() << false;
    }

    void labelsAndButtonsShowTheirCaptionsFontsAndColours()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, family);
        QFETCH(double, points);
        QFETCH(QColor, text);
        QFETCH(QColor, back);
        QFETCH(bool, centred);
        auto window = std::make_unique<FrmInizio>(); // built, not loaded
        const auto *label = window->control<layout::Label>(name.toLatin1().constData());
        QVERIFY(label);
        QCOMPARE(label->caption(), caption);
        QCOMPARE(label->font().family(), family);
        QCOMPARE(label->font().pointSizeF(), points);
        QVERIFY(label->font().bold());
        QVERIFY(!label->font().italic() && !label->font().underline());
        QCOMPARE(QFontInfo(label->font()).family(), kSans);
        QCOMPARE(label->palette().color(QPalette::WindowText), text);
        QCOMPARE(layout::backColour(label), back);
        QCOMPARE(bool(label->alignment() & Qt::AlignHCenter), centred);
    }

    void bankButtonsShowTheirCaptionsFontsAndColours()
    {
        auto window = std::make_unique<FrmInizio>();
        const QStringList commands{"Vai", "Ripristina", "Esci"};
        for (int i = 0; i < 14; ++i) {
            const bool centre = i < 11;
            const input::BankButton *button = centre ? window->Option1(i) : window->Option2(i - 11);
            QCOMPARE(button->text(), centre ? QString::number(i) : commands[i - 11]);
            QCOMPARE(button->font().family(), centre ? "Arial" : "MS Sans Serif");
            QCOMPARE(button->font().pointSizeF(), centre ? 15.75 : 18.0);
            QVERIFY(button->font().bold());
            QCOMPARE(QFontInfo(button->font()).family(), kSans);
            QCOMPARE(button->palette().color(QPalette::ButtonText), kNavy);
            QCOMPARE(button->backColour(), kPeach);
            QVERIFY(button->isCheckable());
            QVERIFY(!button->isChecked());
        }
    }

    void controlsAreStackedFrontToBackAsListed()
    {
        FrmInizio *window = app::Load<FrmInizio>();
        QCOMPARE(childNames(window->client()),
                 (QStringList{"Picture1", "Picture2", "frmTitolo", "frame1", "Frame2", "Image1",
                              "Label2", "Label1", "Label5"}));
        QCOMPARE(childNames(widget(window, "frmTitolo")),
                 (QStringList{"Label4", "Label7", "Shape2", "Shape1", "Shape3", "Shape4"}));
    }

    void theTitlePanelHasAnOrangeShadowAndTheVersionPanelABlueRim()
    {
        FrmInizio *window = open();
        QVERIFY(window);
        const QImage image = widget(window, "frmTitolo")->grab().toImage();
        const QColor orange(255, 192, 128);
        const QColor blue(0, 0, 192);
        const QRect panel = widget(window, "Shape2")->geometry();
        const QRect version = widget(window, "Shape3")->geometry();
        auto colourAt = [&image](int x, int y) { return image.pixelColor(x, y); };

        // orange along the right and bottom of the title panel, none above or to its left
        QCOMPARE(colourAt(panel.right() + 1, panel.center().y()), orange);
        QCOMPARE(colourAt(panel.center().x(), panel.bottom() + 2), orange);
        QCOMPARE(colourAt(panel.center().x(), panel.top() - 1), kPeach);
        QCOMPARE(colourAt(panel.left() - 1, panel.center().y()), kPeach);
        QCOMPARE(colourAt(panel.center().x(), panel.center().y()), kPeach);
        // blue between the version panel and the outer one, to its left, above and below
        QCOMPARE(colourAt(version.left() - 2, version.center().y()), blue);
        QCOMPARE(colourAt(version.center().x(), version.top() - 1), blue);
        QCOMPARE(colourAt(version.center().x(), version.bottom() + 1), blue);
        QCOMPARE(colourAt(version.center().x(), version.center().y()), kPeach);
    }

    void tabRunsThroughTheCentresThenTheCommandsFromEsci()
    {
        FrmInizio *window = open();
        QVERIFY(window);
        QList<QWidget *> expected;
        for (int i = 1; i <= 10; ++i)
            expected << window->Option1(i);
        expected << window->Option2(2) << window->Option2(1) << window->Option2(0)
                 << window->Option1(0);
        for (QWidget *next : expected) {
            testing::key(window, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void aNewWindowStartsEmptyWithTheCurtainsAtTheirWidths()
    {
        auto built = std::make_unique<FrmInizio>();
        QVERIFY(built->Label7()->caption().isEmpty()); // filled only by the load
        built.reset();

        FrmInizio *window = app::Load<FrmInizio>();
        QVERIFY(window->Label1()->caption().isEmpty());
        QCOMPARE(window->Label7()->caption(), QStringLiteral("Vers.1.0\rMouse "));
        for (int i = 0; i < 11; ++i)
            QVERIFY(!window->Option1(i)->isChecked());
        for (int i = 0; i < 3; ++i)
            QVERIFY(!window->Option2(i)->isChecked());
        QVERIFY(!window->timerTendine()->isActive());
        QCOMPARE(window->timerTendine()->interval(), 10);
        QCOMPARE(window->Picture1()->width(), px(120));
        QCOMPARE(window->Picture2()->width(), px(228));
        QCOMPARE(window->Picture1()->height(), window->client()->height());
        QCOMPARE(window->Picture2()->geometry().right(), window->client()->width() - 1);
        QCOMPARE(layout::backColour(window->Picture1()), QColor(255, 128, 255));
        QCOMPARE(layout::backColour(window->Picture2()), QColor(255, 128, 255));
    }

    void theMenuBarHoldsOnlyAutore()
    {
        FrmInizio *window = app::Load<FrmInizio>();
        const QList<QAction *> actions = window->menuBar()->actions();
        QCOMPARE(actions.size(), 1);
        QCOMPARE(actions[0]->text(), QStringLiteral("Autore"));
        QVERIFY(!actions[0]->menu());
        QVERIFY(actions[0]->isEnabled());
    }

    void itIsShownCentredAtItsDesignSize()
    {
        FrmInizio *window = open();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Dorvala"));
        QCOMPARE(window->client()->size(), QSize(px(kInnerWidth), px(kInnerHeight)));
        QCOMPARE(layout::backColour(window->client()), kPeach);
        const QPoint offCentre =
            window->frameGeometry().center() - window->screen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 1,
                 qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
    }

    void startUpShowsTheVersionAndPutsTheFocusOnCentreZero()
    {
        FrmInizio *window = open();
        QVERIFY(window);
        QCOMPARE(window->Label7()->text(), QStringLiteral("Vers.1.0\nMouse "));
        TRY_VERIFY(window->Option1(0)->hasFocus());
        QCOMPARE(window->Option1(0)->backColour(), input::kFocusColour);
        QCOMPARE(app::loadedWindowCount(), 1);
    }

    void choosingACentreShowsItsSun_data()
    {
        QTest::addColumn<int>("centre");
        QTest::addColumn<QString>("caption");
        const char *captions[] = {"Sole dello 0", "Sole dell' 1", "Sole del 2", "Sole del 3",
                                  "Sole del 4",   "Sole del 5",   "Sole del 6", "Sole del 7",
                                  "Sole dell' 8", "Sole del 9",   "Sole del 10"};
        for (int centre = 0; centre <= 10; ++centre)
            QTest::newRow(captions[centre]) << centre << QString::fromLatin1(captions[centre]);
    }

    void choosingACentreShowsItsSun()
    {
        QFETCH(int, centre);
        QFETCH(QString, caption);
        FrmInizio *window = open();
        QVERIFY(window);
        window->esercizio().setNumeroCentrale(5);

        // the keypad's * reaches 10, which has no digit key
        if (centre == 10)
            testing::key(window, Qt::Key_Asterisk, Qt::KeypadModifier);
        else
            testing::key(window, Qt::Key(Qt::Key_0 + centre));
        QCOMPARE(QApplication::focusWidget(), window->Option1(centre));
        QVERIFY(window->Label1()->caption().isEmpty()); // a key only selects
        testing::key(window, Qt::Key_Return);

        QCOMPARE(window->Label1()->caption(), caption);
        QCOMPARE(testing::chosenCentre(), centre);
        QCOMPARE(QApplication::focusWidget(), window->Option2(0));
    }

    void aMousePressOrScanningChoosesToo_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("left button") << "left";
        QTest::newRow("right button") << "right";
        QTest::newRow("space and enter") << "scan";
    }

    void aMousePressOrScanningChoosesToo()
    {
        QFETCH(QString, how);
        FrmInizio *window = open();
        QVERIFY(window);
        if (how == "scan") {
            for (int i = 0; i < 3; ++i)
                testing::key(window, Qt::Key_Space);
            testing::key(window, Qt::Key_Return);
        } else {
            testing::click(window->Option1(3), how == "left" ? Qt::LeftButton : Qt::RightButton);
        }
        QCOMPARE(window->Label1()->caption(), QStringLiteral("Sole del 3"));
        QCOMPARE(testing::chosenCentre(), 3);
        QCOMPARE(QApplication::focusWidget(), window->Option2(0));
        QCOMPARE(window->Option2(0)->backColour(), input::kFocusColour);
        QCOMPARE(window->Option1(3)->backColour(), input::kRestColour);
        QVERIFY(!window->Option1(3)->isChecked());
    }

    void aSecondChoiceReplacesTheFirst()
    {
        FrmInizio *window = open();
        QVERIFY(window);
        testing::click(window->Option1(8));
        testing::click(window->Option1(1));
        QCOMPARE(window->Label1()->caption(), QStringLiteral("Sole dell' 1"));
        QCOMPARE(testing::chosenCentre(), 1);
    }

    void ripristinaGoesBackToCentreZeroKeepingTheChoice()
    {
        FrmInizio *window = open();
        QVERIFY(window);
        testing::click(window->Option1(9));
        testing::key(window, Qt::Key_1);
        QCOMPARE(QApplication::focusWidget(), window->Option2(1));
        testing::key(window, Qt::Key_Return);

        QCOMPARE(QApplication::focusWidget(), window->Option1(0));
        QCOMPARE(window->Label1()->caption(), QStringLiteral("Sole del 9"));
        QCOMPARE(testing::chosenCentre(), 9);
    }

    void vaiOpensTheExerciseWindowOnceOverTheStartWindow()
    {
        FrmInizio *window = open();
        QVERIFY(window);
        testing::click(window->Option1(4));
        testing::key(window, Qt::Key_Return); // the focus is on "Vai"

        frmOperativo *exercise = app::Loaded<frmOperativo>();
        QVERIFY(exercise);
        QVERIFY(exercise->isVisible());
        QVERIFY(window->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(exercise));

        // WHEN "Vai" is chosen again while it is open THEN it is the same window
        testing::click(window->Option2(0));
        QCOMPARE(app::Loaded<frmOperativo>(), exercise);
        QCOMPARE(testing::chosenCentre(), 4);

        // WHEN it closes THEN the start window is back with the focus on "0"
        input::giveFocus(window->Option1(6));
        exercise->windowHandle()->close();
        QVERIFY(!app::Loaded<frmOperativo>());
        TRY_COMPARE(QApplication::focusWidget(), window->Option1(0));
    }

    void leavingUnloadsTheWindowsInOrderAndEndsOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("press on Esci") << "press";
        QTest::newRow("Esci by scanning") << "scan";
        QTest::newRow("close box") << "close";
    }

    void leavingUnloadsTheWindowsInOrderAndEndsOnce()
    {
        QFETCH(QString, how);
        FrmInizio *window = open();
        QVERIFY(window);
        app::Load<frmAutore>();
        app::Load<frmOperativo>(window->esercizio());
        QStringList hidden;
        int ends = 0;
        app::setOnAllUnloaded([&] {
            hidden << QStringLiteral("end");
            ++ends;
        });
        HideLog watch(hidden);
        window->installEventFilter(&watch);
        app::Loaded<frmAutore>()->installEventFilter(&watch);
        app::Loaded<frmOperativo>()->installEventFilter(&watch);
        // shown, so that their hiding shows; each has become active once
        for (QWidget *other : std::initializer_list<QWidget *>{app::Loaded<frmAutore>(),
                                                               app::Loaded<frmOperativo>()}) {
            other->show();
            QVERIFY(QTest::qWaitForWindowActive(other));
        }
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));

        if (how == "press") {
            testing::press(window->Option2(2));
        } else if (how == "scan") {
            testing::click(window->Option1(2)); // the focus moves to "Vai"
            testing::key(window, Qt::Key_Space);
            testing::key(window, Qt::Key_Space);
            QCOMPARE(QApplication::focusWidget(), window->Option2(2));
            testing::key(window, Qt::Key_Return);
        } else {
            window->windowHandle()->close();
        }

        QCOMPARE(hidden, (QStringList{"frmAutore", "frmOperativo", "FrmInizio", "end"}));
        QCOMPARE(ends, 1);
        QCOMPARE(app::loadedWindowCount(), 0);
        testing::flushDeletes();
        QVERIFY(!app::Loaded<FrmInizio>());
    }

    void theAuthorMenuOpensAModalWindowAndComesBackToCentreZero()
    {
        FrmInizio *window = open();
        QVERIFY(window);
        testing::click(window->Option1(5));
        QMenuBar *menu = window->menuBar();
        const QPoint autore =
            menu->mapTo(window, menu->actionGeometry(menu->actions()[0]).center());

        bool wasModal = false;
        bool startTookInput = false;
        QTimer::singleShot(0, this, [&] {
            frmAutore *author = app::Loaded<frmAutore>();
            if (!author || !QTest::qWaitForWindowActive(author))
                return;
            wasModal = QGuiApplication::modalWindow() == author->windowHandle();
            // the start window takes neither keys nor presses meanwhile
            testing::key(window, Qt::Key_7);
            testing::click(window->Option1(2));
            startTookInput = window->Option1(7)->hasFocus() || window->esercizio().stato().NumeroCentrale != 5;
            testing::keyDown(author, Qt::Key_Return, QStringLiteral("\r"));
        });
        QTimer::singleShot(testing::kEventTimeoutMs, this, [] { app::Unload<frmAutore>(); });
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, autore);

        QVERIFY(wasModal);
        QVERIFY(!startTookInput);
        QVERIFY(!app::Loaded<frmAutore>());
        TRY_COMPARE(QApplication::focusWidget(), window->Option1(0));

        // WHEN the ENTER that closed it is still held, its repeats reach "0"
        for (int i = 0; i < 3; ++i) {
            testing::keyUp(window, Qt::Key_Return, QStringLiteral("\r"), true);
            testing::keyDown(window, Qt::Key_Return, QStringLiteral("\r"), true);
        }
        testing::keyUp(window, Qt::Key_Return, QStringLiteral("\r"));
        // THEN they choose nothing
        QCOMPARE(window->Label1()->caption(), QStringLiteral("Sole del 5"));
        QCOMPARE(testing::chosenCentre(), 5);
    }
};

QTEST_MAIN(StartWindowTest)
#include "tst_startwindow.moc"
