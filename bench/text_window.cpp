// Yardstick for start-up time and memory: the least any window with words
// pays, a main window of the start window's size with a menu bar of one item
// and one line of 18 pt bold text. It stays open until it is ended from outside.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.menuBar()->addAction(QStringLiteral("Autore"));
    auto *text = new QLabel(QStringLiteral("Scegli il centro del sole"));
    text->setFont(QFont(QStringLiteral("Liberation Sans"), 18, QFont::Bold));
    text->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(text);
    window.resize(792, 554 + window.menuBar()->sizeHint().height());
    window.show();
    return QApplication::exec();
}
