#pragma once
// One application-wide instance per window class. Load builds the window from
// its definition and runs its load handler; Show makes it visible, modeless or
// modal (a modal show returns once the window is unloaded, and timers keep
// ticking meanwhile); Unload runs the unload handler, hides the window and
// destroys it once the current event has been handled, so a window may unload
// itself from inside one of its own handlers.

#include <QPointer>
#include <functional>
#include <type_traits>

#include "app/Form.h"

class QEventLoop;

namespace app {

enum class Modality { Modeless, Modal };

struct WindowInstance
{
    // How Show loads the window when it is not loaded; empty for a window
    // that must be handed what it works on, which only Load can do.
    std::function<Form *()> create;
    QPointer<Form> window;
    QEventLoop *modalLoop = nullptr;
    bool unloading = false;
    bool shownBefore = false;
};

Form *loadWindow(WindowInstance &instance, const std::function<Form *()> &create);
void showWindow(WindowInstance &instance, Modality modality);
void unloadWindow(WindowInstance &instance);

// Records that `window` became the program's active window; returns whether it
// came to it from another of the program's windows (or is shown for the first
// time), which is when its activate event runs.
bool noteActivation(Form *window);

// How many windows are loaded now, and what happens when the last one unloads.
int loadedWindowCount();
void setOnAllUnloaded(std::function<void()> handler);

template <class W> WindowInstance &instanceOf()
{
    static WindowInstance instance = [] {
        WindowInstance made;
        if constexpr (std::is_default_constructible_v<W>)
            made.create = [] { return static_cast<Form *>(new W()); };
        return made;
    }();
    return instance;
}

template <class W> W *Loaded()
{
    return static_cast<W *>(instanceOf<W>().window.data());
}

// Loads the window if it is not loaded, built with `args`, and returns it.
template <class W, class... Args> W *Load(Args &&...args)
{
    return static_cast<W *>(loadWindow(instanceOf<W>(), [&args...] {
        return static_cast<Form *>(new W(std::forward<Args>(args)...));
    }));
}

template <class W> void Show(Modality modality = Modality::Modeless)
{
    showWindow(instanceOf<W>(), modality);
}

template <class W> void Unload()
{
    unloadWindow(instanceOf<W>());
}

} // namespace app
