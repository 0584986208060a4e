#include "app/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWindow>
#include <array>

#include "app/Form.h"
#include "input/BankButton.h"
#include "layout/Controls.h"

namespace app {

namespace {

constexpr auto kLastDescription = "accessibleDescriptionSent";
constexpr auto kLastName = "accessibleNameSent";

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

// Every notice for the screen reader passes here. The control that takes the
// focus is described as things stand after the move before the focus event
// goes out, since the reader reads it at that event.
void filterUpdate(QAccessibleEvent *event)
{
    switch (event->type()) {
    case QAccessible::NameChanged:
        if (!nameIsNews(event))
            return;
        break;
    case QAccessible::Focus:
        if (auto *widget = qobject_cast<QWidget *>(event->object()))
            notifyDescription(widget);
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
}

QString accessibleDescription(const QWidget *control)
{
    const auto *window = control ? qobject_cast<const Form *>(control->window()) : nullptr;
    return window ? window->accessibleDescription(control) : QString();
}

void notifyDescriptions(const Form &window)
{
    if (!QAccessible::isActive())
        return;
    // A reader speaks a changed description only on the control with the
    // focus. A button that may take the focus later is described anew just
    // before it does (see filterUpdate), so the many buttons one step
    // redescribes send no burst of notices; labels, which never take the
    // focus, keep the reader's review of the window up to date.
    for (const layout::Control &control : window.controls())
        if (QWidget *widget = control.widget();
            widget && (widget->focusPolicy() == Qt::NoFocus || widget->hasFocus()))
            notifyDescription(widget);
}

} // namespace app
