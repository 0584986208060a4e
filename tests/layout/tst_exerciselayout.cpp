#include <QTest>
#include <QTimer>

#include "LayoutSupport.h"
#include "TestSupport.h"
#include "app/Windows.h"
#include "exercise/Esercizio.h"
#include "exercise/frmOperativo.h"
#include "exercise/frmOperativoDef.h"
#include "layout/Controls.h"

namespace {

QList<QRect> geometries(const app::Form *window)
{
    QList<QRect> result;
    for (const layout::Control &control : window->controls())
        if (const QWidget *widget = control.widget())
            result.append(widget->geometry());
    return result;
}

} // namespace

class ExerciseLayoutTest : public QObject
{
    Q_OBJECT

    exercise::Esercizio m_esercizio;
    const exercise::Stato &stato() const { return m_esercizio.stato(); }

private:
    frmOperativo *open()
    {
        app::Load<frmOperativo>(m_esercizio);
        app::Show<frmOperativo>();
        frmOperativo *window = app::Loaded<frmOperativo>();
        return window && QTest::qWaitForWindowExposed(window) ? window : nullptr;
    }

    static int designPixels(int twips) { return layout::twipsToPixels(twips); }

private Q_SLOTS:
    void cleanup()
    {
        app::Unload<frmOperativo>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void everyControlKeepsItsProportion_data()
    {
        QTest::addColumn<int>("xFactor");
        QTest::addColumn<int>("yFactor");
        QTest::newRow("design size") << 1 << 1;
        QTest::newRow("double width") << 2 << 1;
        QTest::newRow("double height") << 1 << 2;
    }

    void everyControlKeepsItsProportion()
    {
        QFETCH(int, xFactor);
        QFETCH(int, yFactor);
        frmOperativo *window = open();
        QVERIFY(window);
        QCOMPARE(window->ProporzioniControlli.size(), window->controls().size());
        const layout::WindowDef &def = window->definition();
        QVERIFY(testing::setInnerSize(window, designPixels(def.innerWidth) * xFactor,
                                      designPixels(def.innerHeight) * yFactor));
        const QString mismatch = testing::scaledLayoutMismatch(window, xFactor, yFactor);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));

        // The discs stay circles, centred in their stretched boxes.
        for (const layout::Control &control : window->controls()) {
            const auto *shape = qobject_cast<const layout::Shape *>(control.widget());
            if (!shape || shape->kind() != layout::ShapeKind::Circle)
                continue;
            const QRect drawn = shape->drawnRect();
            QCOMPARE(drawn.width(), std::min(shape->width(), shape->height()));
            QCOMPARE(drawn.height(), drawn.width());
            QVERIFY(std::abs(drawn.center().x() - shape->rect().center().x()) <= 1);
            QVERIFY(std::abs(drawn.center().y() - shape->rect().center().y()) <= 1);
        }
    }

    void minimiseMaximiseAndRestoreGiveTheLayoutBack()
    {
        frmOperativo *window = open();
        QVERIFY(window);
        QVERIFY(testing::setInnerSize(window, 877, 613));
        const QList<QRect> before = geometries(window);

        window->showMinimized();
        QCOMPARE(window->innerWidthTwips(), 0);
        for (const layout::Control &control : window->controls())
            if (const QWidget *widget = control.widget())
                QCOMPARE(widget->geometry(), QRect(0, 0, 0, 0));
        window->showNormal();
        QCOMPARE(geometries(window), before);

        const QSize normal = window->client()->size();
        window->showMaximized();
        TRY_VERIFY(window->client()->size() != normal);
        const layout::WindowDef &def = window->definition();
        const QString mismatch = testing::scaledLayoutMismatch(
            window, double(window->innerWidthTwips()) / def.innerWidth,
            double(window->innerHeightTwips()) / def.innerHeight, 1);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        window->showNormal();
        TRY_COMPARE(window->client()->size(), normal);
        QCOMPARE(geometries(window), before);
    }

    void bounceGoesOnFromTheDesignPlacesAfterMinimiseAndRestore()
    {
        frmOperativo *window = open();
        QVERIFY(window);
        const QList<QRect> designed = geometries(window);
        for (int tick = 0; tick < 10; ++tick)
            window->Timer2_Timer();
        QVERIFY(geometries(window) != designed);

        // WHEN the window is minimised while the discs bounce, then restored
        window->showMinimized();
        for (int tick = 0; tick < 10; ++tick)
            window->Timer2_Timer();
        window->showNormal();

        // THEN the discs stand at their design places and bounce on from there
        QCOMPARE(geometries(window), designed);
        for (const exercise::Disc &disc : exercise::kDiscs)
            QCOMPARE(window->Frame2Top(disc.frame), disc.top);
        const int top = window->Frame2Top(0);
        const std::int16_t step = stato().PassoRimbalzo[0];
        window->Timer2_Timer();
        QCOMPARE(window->Frame2Top(0), top + step);
        QCOMPARE(window->Frame2(0)->y(), layout::twipsToPixels(top + step));
    }
};

QTEST_MAIN(ExerciseLayoutTest)
#include "tst_exerciselayout.moc"
