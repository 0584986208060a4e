#include "app/Windows.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <vector>

namespace app {

namespace {

// What the window model keeps of the program's windows as a whole. The
// application object owns it, so it lives as long as the windows can.
class ProgramWindows : public QObject
{
    static constexpr auto kName = "pinnuvoProgramWindows";

public:
    using QObject::QObject;

    static ProgramWindows &of(QCoreApplication *application)
    {
        if (auto *found = application->findChild<QObject *>(kName, Qt::FindDirectChildrenOnly))
            return *static_cast<ProgramWindows *>(found);
        auto *windows = new ProgramWindows(application);
        windows->setObjectName(kName);
        return *windows;
    }

    int loaded = 0;
    std::function<void()> onAllUnloaded;
    // The program's windows in the order they last became active, the most
    // recent last. When the active one unloads, the window before it becomes
    // active again, as a window manager would do (under X with no window
    // manager, nothing else would).
    std::vector<QPointer<Form>> activationOrder;
    // The window that was active last, by serial: it may be destroyed since.
    quint64 lastActiveSerial = 0;
    quint64 serials = 0;
};

ProgramWindows &programWindows()
{
    return ProgramWindows::of(QCoreApplication::instance());
}

bool isLive(const Form *window)
{
    return window && window->instance() && !window->instance()->unloading;
}

void placeAtDesignSize(Form *window)
{
    const layout::WindowDef &def = window->definition();
    const int width = layout::twipsToPixels(def.innerWidth);
    const int height = layout::twipsToPixels(def.innerHeight);
    const QWidget *menu = window->menuWidget();
    window->resize(width, height + (menu ? menu->heightForWidth(width) : 0));
    // Created first, the window knows its frame, and the frame is what is centred.
    window->winId();
    if (const QScreen *screen =
            window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

void reactivatePrevious()
{
    const QWidget *active = QApplication::activeWindow();
    if (active && active->isVisible())
        return;
    const std::vector<QPointer<Form>> &order = programWindows().activationOrder;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Form *window = it->data();
        if (isLive(window) && window->isVisible()) {
            window->activateWindow();
            return;
        }
    }
}
} // namespace

int loadedWindowCount()
{
    return programWindows().loaded;
}

void setOnAllUnloaded(std::function<void()> handler)
{
    programWindows().onAllUnloaded = std::move(handler);
}

bool noteActivation(Form *window)
{
    if (!isLive(window)) {
        // An unloaded window that the window system still activates passes
        // the activation on to the window the pupil was in before it.
        reactivatePrevious();
        return false;
    }
    // A window that becomes active again after the pupil was in another program
    // is not coming back from one of ours.
    ProgramWindows &windows = programWindows();
    const bool fromAnotherWindow = windows.lastActiveSerial != window->m_serial;
    windows.lastActiveSerial = window->m_serial;
    std::erase_if(windows.activationOrder,
                  [window](const QPointer<Form> &w) { return w.isNull() || w == window; });
    windows.activationOrder.emplace_back(window);
    return fromAnotherWindow;
}

Form *loadWindow(WindowInstance &instance, const std::function<Form *()> &create)
{
    if (instance.window || !create)
        return instance.window;
    Form *window = create();
    window->m_instance = &instance;
    ProgramWindows &windows = programWindows();
    window->m_serial = ++windows.serials;
    instance.window = window;
    instance.unloading = false;
    instance.shownBefore = false;
    ++windows.loaded;
    window->Form_Load();
    return instance.window;
}

void showWindow(WindowInstance &instance, Modality modality)
{
    Form *window = loadWindow(instance, instance.create);
    if (!window)
        return;
    if (!instance.shownBefore) {
        instance.shownBefore = true;
        placeAtDesignSize(window);
    }
    if (modality == Modality::Modal && !window->isVisible())
        window->setWindowModality(Qt::ApplicationModal);
    const bool wasVisible = window->isVisible();
    window->show();
    if (wasVisible)
        window->raise();
    // Showing a window makes it the active one; with no window manager nothing
    // else would give it the focus.
    window->activateWindow();
    if (modality == Modality::Modal && instance.window && !instance.modalLoop) {
        QEventLoop loop;
        instance.modalLoop = &loop;
        loop.exec(QEventLoop::DialogExec);
        instance.modalLoop = nullptr;
    }
}

void unloadWindow(WindowInstance &instance)
{
    Form *window = instance.window;
    if (!window || instance.unloading)
        return;
    instance.unloading = true;
    // Only the window the pupil is in hands the activation on: one closed
    // while the pupil is in another program leaves that program alone.
    const bool wasActive = window->isActiveWindow();
    window->Form_Unload();
    instance.window = nullptr;
    window->m_instance = nullptr;
    window->hide();
    window->deleteLater();
    if (instance.modalLoop)
        instance.modalLoop->quit();
    ProgramWindows &windows = programWindows();
    --windows.loaded;
    if (wasActive)
        reactivatePrevious();
    if (windows.loaded == 0 && windows.onAllUnloaded)
        windows.onAllUnloaded();
}

} // namespace app
