#pragma once
// The window model every window of the program uses. A Form is one window
// built from its definition; its behaviour reacts to four events: load (before
// it is first shown), resize (at first show and at every change of size,
// minimise, maximise and restore included), activate (when it becomes the
// program's active window) and unload (whatever closes it).
//
// Each window class has one application-wide instance, reached through the
// class: Load<W>(), Show<W>(), Unload<W>() and Loaded<W>() in Windows.h.

#include <QMainWindow>
#include <functional>
#include <vector>

#include "layout/ControlBuilder.h"
#include "layout/Resize.h"

namespace app {

struct WindowInstance;
class Form;
Form *loadWindow(WindowInstance &instance, const std::function<Form *()> &create);
void unloadWindow(WindowInstance &instance);
bool noteActivation(Form *window);

class Form : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form(const layout::WindowDef &definition);
    ~Form() override;

    const layout::WindowDef &definition() const { return m_definition; }
    // The window's control collection, in one fixed order.
    const std::vector<layout::Control> &controls() const { return m_controls; }
    QWidget *client() const { return m_client; }
    // The instance this window is loaded in; null once it has been unloaded.
    const WindowInstance *instance() const { return m_instance; }

    // The inner area in twips; 0 by 0 while the window is minimised.
    int innerWidthTwips() const;
    int innerHeightTwips() const;
    // The outer width in twips, the window's frame included.
    int outerWidthTwips() const;

    template <class T> T *control(std::string_view name, int index = -1) const
    {
        return qobject_cast<T *>(findControl(name, index));
    }
    QObject *findControl(std::string_view name, int index = -1) const;
    // The design entry a control of this window was built from, or null.
    const layout::ControlDef *definitionOf(const QObject *control) const;

    // What a screen reader reads of one of the window's controls beside its
    // caption; none unless the window says. A window whose descriptions
    // follow its state calls descriptionsChanged() after every change.
    virtual QString accessibleDescription(const QWidget *control) const;
    void descriptionsChanged();

    // The window's table of layout fractions: filled at load from the design
    // geometry, re-applied at every resize.
    layout::ProporzioniControlli ProporzioniControlli;
    void MemorizzaProporzioni();
    void ApplicaProporzioni();

    // The window model calls these; the window's behaviour overrides them.
    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_Activate() {}
    virtual void Form_Unload() {}

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend struct WindowInstance;
    friend Form *loadWindow(WindowInstance &instance, const std::function<Form *()> &create);
    friend void unloadWindow(WindowInstance &instance);
    friend bool noteActivation(Form *window);

    const layout::WindowDef &m_definition;
    QWidget *m_client = nullptr;
    std::vector<layout::Control> m_controls;
    WindowInstance *m_instance = nullptr;
    quint64 m_serial = 0; // tells this window from any other loaded before or after it
    bool m_resizing = false;
};

} // namespace app
