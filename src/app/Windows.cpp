#include "app/Windows.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>

namespace app {

namespace {
int g_loaded = 0;
std::function<void()> g_onAllUnloaded;

void placeAtDesignSize(Form *window)
{
    const layout::WindowDef &def = window->definition();
    const int width = layout::twipsToPixels(def.innerWidth);
    const int height = layout::twipsToPixels(def.innerHeight);
    const QWidget *menu = window->menuWidget();
    window->resize(width, height + (menu ? menu->sizeHint().height() : 0));
    if (const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}
} // namespace

int loadedWindowCount()
{
    return g_loaded;
}

void setOnAllUnloaded(std::function<void()> handler)
{
    g_onAllUnloaded = std::move(handler);
}

Form *loadWindow(WindowInstance &instance)
{
    if (instance.window)
        return instance.window;
    Form *window = instance.create();
    window->m_instance = &instance;
    instance.window = window;
    instance.unloading = false;
    instance.shownBefore = false;
    ++g_loaded;
    window->Form_Load();
    return instance.window;
}

void showWindow(WindowInstance &instance, Modality modality)
{
    Form *window = loadWindow(instance);
    if (!window)
        return;
    if (!instance.shownBefore) {
        instance.shownBefore = true;
        placeAtDesignSize(window);
    }
    if (modality == Modality::Modal)
        window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    // With no window manager nothing else would give the shown window the focus.
    window->activateWindow();
    if (modality == Modality::Modal && instance.window) {
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
    window->Form_Unload();
    instance.window = nullptr;
    window->m_instance = nullptr;
    window->hide();
    window->deleteLater();
    if (instance.modalLoop)
        instance.modalLoop->quit();
    --g_loaded;
    if (g_loaded == 0 && g_onAllUnloaded)
        g_onAllUnloaded();
}

} // namespace app
