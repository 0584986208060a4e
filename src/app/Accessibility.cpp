#include "app/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWindow>
#include <array>
#include <utility>

#include "app/Form.h"
#include "input/BankButton.h"
#include "layout/Controls.h"

namespace app {

namespace {

constexpr auto kLastDescription = "accessibleDescriptionSent";
constexpr auto kLastName = "accessibleNameSent";
constexpr auto kFocusDescription = "accessibleDescriptionAtFocus";

QString shownCaption(const QWidget *control)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    return {};
}

// Tells the screen reader that a control's description changed, when it did.
void notifyDescription(QWidget *control)
{
    const QString description = accessibleDescription(control);
    if (control->property(kLastDescription).toString() == description)
        return;
    control->setProperty(kLastDescription, description);
    QAccessibleEvent event(control, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

// Tells the reader of the changed descriptions that it would read now.
void notifyDescriptions(const Form &window)
{
    // A reader speaks a changed description only on the control with the
    // focus. A button that may take the focus later is described anew just
    // before it does (see Notices), so the many buttons one step
    // redescribes send no burst of notices; labels, which never take the
    // focus, keep the reader's review of the window up to date.
    for (const layout::Control &control : window.controls())
        if (QWidget *widget = control.widget();
            widget && (widget->focusPolicy() == Qt::NoFocus || widget->hasFocus()))
            notifyDescription(widget);
}

// A reader may keep for a while what it read of a control when the control
// took the focus, and read the control from that when it takes the focus
// again: Orca 48 keeps descriptions up to two seconds, so a digit that opens
// the next ray less than two seconds after it opened the last one would be
// read with the last ray. A bank button that takes the focus with another
// description than it had at its last focus is given a new accessible object,
// which a reader has never read and so reads as it now stands.
void renewIfRedescribed(QWidget *control)
{
    if (!qobject_cast<input::BankButton *>(control))
        return;
    const QString description = accessibleDescription(control);
    const QVariant atLastFocus = control->property(kFocusDescription);
    control->setProperty(kFocusDescription, description);
    if (!atLastFocus.isValid() || atLastFocus.toString() == description)
        return;
    if (QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(control))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(reader));
    // The new object is read whole when it takes the focus: there is no change to tell.
    control->setProperty(kLastDescription, description);
}

// A caption change renames its label.
void captionChanged(layout::Label *label)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent renamed(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
}

// Whether a name-change notice tells the reader something new. The toolkit
// sends one for every caption and title it is given, also while a window is
// being built and when the text stays the same; a reader takes each for a
// change and reads the control again, without its description. A window's
// names are read when it appears, so only a name that differs from the one
// the window appeared with, or last announced, is news.
bool nameIsNews(QAccessibleEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(event->object());
    if (!widget)
        return true;
    const QString name = event->accessibleInterface()->text(QAccessible::Name);
    const QVariant last = widget->property(kLastName);
    widget->setProperty(kLastName, name);
    if (!widget->window()->isVisible())
        return false;
    return !last.isValid() || last.toString() != name;
}

void forwardUpdate(QAccessibleEvent *event);

// The notices of one step of the program: held while its handlers run, and
// sent when they have finished, so that a reader learns only the state after
// the step, in an order it cannot misread: first the changed descriptions of
// the windows the step touched, then the focus, on a control already
// described as it now stands, or made new when it comes back to the focus
// with another description (see renewIfRedescribed).
//
// A step's news always ends in a focus notice. Where a step leaves the focus
// on a button and changes only what the button says ("Avanti" after the
// second digit of a result), the button takes the focus again as a new
// object: Windows' readers hear nothing else (UI Automation tells them of a
// new focus, never of a changed description), and Orca 43 ignores a changed
// description.
//
// When the focus enters another window (one that a key has just opened, say),
// its control's description is told once more after the focus: a reader that
// followed the key into the window on its own takes the program's focus
// notice for one it already has and stays silent, but it reads a description
// change on the control it stands on.
class Notices : public QObject
{
    Q_OBJECT
public:
    explicit Notices(QObject *application) : QObject(application) {}

    void holdFocus(QObject *object, int child)
    {
        m_focus = object;
        m_focusChild = child;
        sendLater();
    }

    void holdDescriptions(const Form &window)
    {
        if (!m_windows.contains(&window))
            m_windows.append(&window);
        sendLater();
    }

private:
    void sendLater()
    {
        if (m_sending)
            return;
        m_sending = true;
        QMetaObject::invokeMethod(this, &Notices::send, Qt::QueuedConnection);
    }

    void send()
    {
        m_sending = false;
        QObject *object = std::exchange(m_focus, nullptr);
        auto *widget = qobject_cast<QWidget *>(object);
        // A focus that has already gone elsewhere, out of the program say, is news no more.
        if (widget && !widget->hasFocus())
            object = widget = nullptr;
        if (!object) {
            object = widget = redescribedFocus();
            m_focusChild = -1;
        }
        if (widget)
            renewIfRedescribed(widget);
        for (const QPointer<const Form> &window : std::exchange(m_windows, {}))
            if (window)
                notifyDescriptions(*window);
        if (!object)
            return;
        if (widget)
            notifyDescription(widget);
        QAccessibleEvent focus(object, QAccessible::Focus);
        focus.setChild(m_focusChild);
        forwardUpdate(&focus);
        if (widget && widget->window() != m_focusWindow) {
            m_focusWindow = widget->window();
            if (!accessibleDescription(widget).isEmpty()) {
                QAccessibleEvent described(widget, QAccessible::DescriptionChanged);
                forwardUpdate(&described);
            }
        }
    }

    // The bank button that keeps the focus through the step while what it
    // says changed, if any.
    QWidget *redescribedFocus() const
    {
        QWidget *focused = QApplication::focusWidget();
        if (!qobject_cast<input::BankButton *>(focused) ||
            focused->property(kLastDescription).toString() == accessibleDescription(focused))
            return nullptr;
        for (const QPointer<const Form> &window : m_windows)
            if (window && window == focused->window())
                return focused;
        return nullptr;
    }

    QList<QPointer<const Form>> m_windows;
    QPointer<QObject> m_focus;
    int m_focusChild = -1;
    QPointer<QWidget> m_focusWindow;
    bool m_sending = false;
};

// The application owns the notices on their way.
Notices *pendingNotices()
{
    QCoreApplication *application = QCoreApplication::instance();
    return application ? application->findChild<Notices *>(QString(), Qt::FindDirectChildrenOnly)
                       : nullptr;
}

// Every notice for the screen reader passes here.
void filterUpdate(QAccessibleEvent *event)
{
    switch (event->type()) {
    case QAccessible::NameChanged:
        if (!nameIsNews(event))
            return;
        break;
    case QAccessible::Focus:
        // Held until the step that moved the focus has finished.
        if (Notices *notices = pendingNotices()) {
            notices->holdFocus(event->object(), event->child());
            return;
        }
        break;
    case QAccessible::ObjectShow:
        // A window that appears is read afresh: what its controls say now is
        // what the reader learns, and no news afterwards.
        if (const auto *window = qobject_cast<const Form *>(event->object()))
            for (const layout::Control &control : window->controls())
                if (QWidget *widget = control.widget())
                    widget->setProperty(kLastDescription, accessibleDescription(widget));
        break;
    default:
        break;
    }
    forwardUpdate(event);
}

// Hands a notice on to the platform's bridge, which the toolkit does when no
// filter is installed.
void forwardUpdate(QAccessibleEvent *event)
{
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(filterUpdate);
}

// A press through the screen reader confirms the button as a mouse press
// does, and is refused where a press could not reach it.
void pressLikeTheMouse(QWidget *button)
{
    const QWindow *modal = QGuiApplication::modalWindow();
    if (!button->isEnabled() || !button->isVisible() ||
        (modal && modal != button->window()->windowHandle()))
        return;
    const QPointer<QWidget> alive(button);
    const QPointF at = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(button, &press);
    if (!alive)
        return;
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(button, &release);
}

class ControlAccessible : public QAccessibleWidget
{
public:
    ControlAccessible(QWidget *control, QAccessible::Role role) : QAccessibleWidget(control, role)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return shownCaption(widget());
        case QAccessible::Description:
            return accessibleDescription(widget());
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

class BankButtonAccessible : public ControlAccessible
{
public:
    explicit BankButtonAccessible(QWidget *button) : ControlAccessible(button, QAccessible::Button)
    {
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction())
            pressLikeTheMouse(widget());
        else
            QAccessibleWidget::doAction(actionName);
    }
};

// The toolkit asks for an interface when a widget is created, before it has
// its name and place: the interfaces work those out each time they are read.
QAccessibleInterface *interfaceFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(input::BankButton::staticMetaObject.className()))
        return new BankButtonAccessible(static_cast<QWidget *>(object));
    if (className == QLatin1String(layout::Label::staticMetaObject.className())) {
        auto *label = static_cast<layout::Label *>(object);
        QObject::connect(label, &layout::Label::captionChanged, label,
                         [label] { captionChanged(label); });
        return new ControlAccessible(label, QAccessible::StaticText);
    }
    return nullptr;
}

} // namespace

void installAccessibility()
{
    QAccessible::installFactory(interfaceFor);
    QAccessible::installUpdateHandler(filterUpdate);
    if (!pendingNotices())
        new Notices(QCoreApplication::instance());
}

QString accessibleDescription(const QWidget *control)
{
    const auto *window = control ? qobject_cast<const Form *>(control->window()) : nullptr;
    return window ? window->accessibleDescription(control) : QString();
}

void descriptionsChanged(const Form &window)
{
    if (!QAccessible::isActive())
        return;
    if (Notices *notices = pendingNotices())
        notices->holdDescriptions(window);
    else
        notifyDescriptions(window);
}

} // namespace app

#include "Accessibility.moc"
