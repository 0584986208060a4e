// The program's own start-up, ending at the first paint of the start window:
// start-up time and peak memory are measured on this against the bare window.

#include <QApplication>
#include <QEvent>

#include "app/Accessibility.h"
#include "app/Application.h"
#include "app/Windows.h"
#include "start/FrmInizio.h"

namespace {

class FirstPaint : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); },
                                      Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    app::installFontSubstitutions();
    app::installAccessibility();
    FirstPaint firstPaint;
    FrmInizio *window = app::Load<FrmInizio>();
    window->installEventFilter(&firstPaint);
    window->client()->installEventFilter(&firstPaint);
    app::Show<FrmInizio>(app::Modality::Modeless);
    return QApplication::exec();
}
