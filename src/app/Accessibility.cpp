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
    for (const layout::Control &control : window.controls())
        if (QWidget *widget = control.widget())
            notifyDescription(widget);
}

} // namespace app
