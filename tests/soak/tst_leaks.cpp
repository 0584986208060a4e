// Opening and closing the exercise, instructions and author windows a thousand
// times leaves the resident memory flat. Built with -DPINNUVO_SANITIZE=ON,
// LeakSanitizer then checks at exit that nothing leaked at all.

#include <QFile>
#include <QTest>
#include <QTimer>
#include <unistd.h>

#include "TestSupport.h"
#include "app/Windows.h"
#include "exercise/Esercizio.h"
#include "exercise/frmOperativo.h"
#include "exercise/frmOperativoDef.h"
#include "info/frmAutore.h"
#include "info/frmIstruzioni.h"
#include "input/BankButton.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"
#include "start/StartSupport.h"

#if defined(__SANITIZE_ADDRESS__)
// The resident size under AddressSanitizer also holds the sanitizer's own
// books: freed memory waiting in its quarantine, and the stack of every
// allocation, of which Qt (built without frame pointers) yields ever new
// ones. A small quarantine and two frames a stack let it settle as the
// program's own memory does. ASAN_OPTIONS=malloc_context_size=30 gives whole
// stacks back to chase a leak that LeakSanitizer reports.
extern "C" const char *__asan_default_options()
{
    return "quarantine_size_mb=1:malloc_context_size=2";
}
#endif

namespace {

constexpr int kWarmUpCycles = 100;
constexpr int kCycles = 1000;
// Generous: caches of fonts and pictures settle within the warm-up.
constexpr qint64 kAllowedGrowth = 2 * 1024 * 1024;

QtMessageHandler g_testLog = nullptr;

// The offscreen platform notes at every show that it cannot raise a window.
void dropPlatformNotes(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!text.startsWith(QLatin1String("This plugin does not support")))
        g_testLog(type, context, text);
}

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

// Closes a modal window from inside its nested loop, by its button or by its
// close box, once it is shown.
template <class W> void closeWhenShown(QObject *context, bool byButton)
{
    QTimer::singleShot(0, context, [context, byButton] {
        W *window = app::Loaded<W>();
        if (!window || !window->isVisible()) {
            closeWhenShown<W>(context, byButton);
            return;
        }
        if (byButton)
            testing::click(window->Command1());
        else
            window->close();
    });
}

} // namespace

class LeakTest : public QObject
{
    Q_OBJECT

    exercise::Esercizio m_esercizio;
    const exercise::Stato &stato() const { return m_esercizio.stato(); }

private:
    FrmInizio *start = nullptr;

    // One round: the exercise window opened by "Vai", the instructions shown
    // over it, the exercise closed (by its close box, or by "Esco" after a
    // whole sun), and the author window opened and closed.
    bool cycle(int n)
    {
        testing::click(start->Option2(0));
        frmOperativo *exercise = app::Loaded<frmOperativo>();
        if (!exercise)
            return false;

        closeWhenShown<frmIstruzioni>(this, n % 2 == 0);
        exercise->mnuIstruzioni_Click();
        if (app::Loaded<frmIstruzioni>())
            return false;

        if (n % 2 == 0) {
            exercise->close();
        } else {
            for (int ray = 0; ray < exercise::kRayCount; ++ray) {
                const QString sum =
                    QString::number(stato().Somme.at(static_cast<size_t>(ray)));
                for (const QChar digit : sum)
                    testing::click(exercise->Option1(digit.digitValue()));
                testing::click(exercise->Option1(exercise::kAvanti));
            }
            exercise->Timer2_Timer();
            exercise->Timer3_Timer();
            // The press closes the window: the button comes up over the start window.
            testing::press(exercise->Option1(exercise::kEsco));
            testing::release(start->Label1());
        }
        if (app::Loaded<frmOperativo>())
            return false;

        closeWhenShown<frmAutore>(this, n % 2 == 1);
        start->mnuInfo_Click();
        if (app::Loaded<frmAutore>())
            return false;

        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        return true;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        g_testLog = qInstallMessageHandler(dropPlatformNotes);
        start = testing::openStartWindow();
        QVERIFY(start);
    }

    void cleanupTestCase()
    {
        app::Unload<FrmInizio>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void openingAndClosingWindowsLeavesMemoryFlat()
    {
        qint64 afterWarmUp = 0;
        for (int n = 1; n <= kCycles; ++n) {
            QVERIFY2(cycle(n), qPrintable(QStringLiteral("round %1 left a window open").arg(n)));
            if (n == kWarmUpCycles)
                afterWarmUp = residentBytes();
        }
        const qint64 atEnd = residentBytes();
        QVERIFY(afterWarmUp > 0 && atEnd > 0);
        const qint64 growth = atEnd - afterWarmUp;
        qInfo("resident after %d rounds: %lld KiB, after %d: %lld KiB", kWarmUpCycles,
              afterWarmUp / 1024, kCycles, atEnd / 1024);
        QVERIFY2(growth < kAllowedGrowth,
                 qPrintable(QStringLiteral("memory grew by %1 KiB over %2 rounds")
                                .arg(growth / 1024)
                                .arg(kCycles - kWarmUpCycles)));
    }
};

QTEST_MAIN(LeakTest)
#include "tst_leaks.moc"
