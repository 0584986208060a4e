// Yardstick for start-up time and memory: an empty Qt Widgets window of the
// start window's inner size. It stays open until it is ended from outside.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(792, 554); // the start window's inner size in pixels
    window.show();
    return QApplication::exec();
}
