// The yardstick for start-up time and memory: a bare Qt Widgets window of the
// start window's size that leaves at its first paint.

#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

constexpr int kWidth = 792; // the start window's inner size in pixels
constexpr int kHeight = 554;

class BareWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), QColor(255, 224, 192));
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    BareWindow window;
    window.resize(kWidth, kHeight);
    window.show();
    return QApplication::exec();
}
