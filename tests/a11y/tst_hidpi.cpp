// The windows at a scale factor of 2 (run with QT_SCALE_FACTOR=2): laid out
// as at 1, the start picture decoded from the full-resolution file at the
// screen's pixels, and button edges and the focus ring in whole device pixels.

#include <QImageReader>

#include "A11ySupport.h"
#include "TestSupport.h"
#include "app/Accessibility.h"
#include "app/Windows.h"
#include "exercise/frmOperativo.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "layout/ControlBuilder.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"

namespace {

constexpr qreal kScale = 2;
constexpr auto kPicture = ":/sole.jpg";
const QColor kLightEdge{255, 255, 255};
const QColor kDarkEdge{128, 128, 128};

template <class W, class... Args> W *open(Args &...args)
{
    app::Load<W>(args...);
    app::Show<W>();
    W *window = app::Loaded<W>();
    if (!window || !QTest::qWaitForWindowExposed(window))
        return nullptr;
    return window;
}

// Every visible control sits where the design puts it, within a pixel.
bool laidOutAsDesigned(const app::Form *window)
{
    for (const layout::Control &control : window->controls()) {
        const QWidget *widget = control.widget();
        if (!widget || control.def->dock != layout::Dock::None || !widget->isVisibleTo(window))
            continue;
        const layout::ControlDef &def = *control.def;
        const QRect designed(layout::twipsToPixels(def.left), layout::twipsToPixels(def.top),
                             layout::twipsToPixels(def.width), layout::twipsToPixels(def.height));
        const QRect at = widget->geometry();
        if (std::abs(at.x() - designed.x()) > 1 || std::abs(at.y() - designed.y()) > 1 ||
            std::abs(at.width() - designed.width()) > 1 ||
            std::abs(at.height() - designed.height()) > 1) {
            qWarning() << widget->objectName() << at << "designed" << designed;
            return false;
        }
    }
    return true;
}

// The mean difference per colour channel between two images of one size.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * x.width() * x.height());
}

} // namespace

class HiDpiTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        app::installAccessibility();
        QCOMPARE(qApp->devicePixelRatio(), kScale);
    }

    void cleanup()
    {
        app::Unload<frmOperativo>();
        app::Unload<FrmInizio>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void windowsAreLaidOutAsAtScaleOne()
    {
        FrmInizio *start = open<FrmInizio>();
        QVERIFY(start);
        QCOMPARE(start->client()->size(), QSize(792, 554));
        QVERIFY(start->client()->geometry().top() >= start->menuWidget()->geometry().bottom());
        QVERIFY(laidOutAsDesigned(start));
        const QImage shot = start->grab().toImage();
        QCOMPARE(shot.size(), start->size() * kScale);

        frmOperativo *exercise = open<frmOperativo>(start->esercizio());
        QVERIFY(exercise);
        QCOMPARE(exercise->client()->size(), QSize(794, 571));
        QVERIFY(laidOutAsDesigned(exercise));
    }

    void startPictureIsDecodedAtTheScreensPixels()
    {
        FrmInizio *start = open<FrmInizio>();
        QVERIFY(start);
        auto *image = start->control<layout::Image>("Image1");
        const QSize device = image->size() * kScale;
        const QImage shown = image->grab().toImage();
        QCOMPARE(image->picture().size(), device);

        // What is shown is the full-resolution picture brought down to the
        // screen's pixels, not a picture of the window's pixels blown up.
        const QImage full = QImage(QString::fromLatin1(kPicture));
        const QImage sharp = full.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage blurred =
            full.scaled(image->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double fromSharp = meanDifference(shown, sharp);
        const double fromBlurred = meanDifference(shown, blurred);
        QVERIFY2(fromSharp < fromBlurred / 2,
                 qPrintable(QStringLiteral("%1 vs %2").arg(fromSharp).arg(fromBlurred)));

        // A box larger than the stored picture shows all of it, stretched.
        start->resize(start->size() * 1.5);
        TRY_COMPARE(image->size().width() * kScale > full.width(), true);
        image->grab();
        QCOMPARE(image->picture().size(), QImageReader(QString::fromLatin1(kPicture)).size());
    }

    void buttonEdgesAndFocusRingCoverWholeDevicePixels()
    {
        FrmInizio *start = open<FrmInizio>();
        QVERIFY(start);
        QVERIFY(QTest::qWaitForWindowActive(start));
        TRY_VERIFY(start->Option1(0)->hasFocus());
        const QImage focused = start->Option1(0)->grab().toImage();
        QCOMPARE(focused.size(), start->Option1(0)->size() * kScale);
        const int middle = focused.height() / 2;
        const int right = focused.width() - 1;
        for (int px = 0; px < 2 * kScale; ++px) {
            QCOMPARE(focused.pixelColor(px, middle), kLightEdge);
            QCOMPARE(focused.pixelColor(right - px, middle), kDarkEdge);
        }
        QCOMPARE(focused.pixelColor(int(2 * kScale), middle), input::kFocusColour);
        QVERIFY(testing::ringThickness(focused, int(8 * kScale), input::kFocusColour,
                                       input::kRestColour) >= 2 * kScale);
    }
};

QTEST_MAIN(HiDpiTest)
#include "tst_hidpi.moc"
