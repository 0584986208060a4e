#include "app/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWindow>
#include <array>

#include "exercise/frmOperativo.h"
#include "exercise/frmOperativoDef.h"
#include "input/BankButton.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"

namespace app {

namespace {

// Where each ray of the sun stands, clockwise from the top.
constexpr std::array<const char16_t *, exercise::kRayCount> kPosizioni{
    u"in alto",  u"in alto a destra",    u"a destra",   u"in basso a destra",
    u"in basso", u"in basso a sinistra", u"a sinistra", u"in alto a sinistra"};

// What a result box's colour tells the pupil: the check's verdict, or the
// celebration of a sun with all eight results right (both blink colours).
struct Verdict
{
    QRgb colour;
    const char16_t *text;
};
constexpr std::array<Verdict, 4> kVerdetti{{
    {qRgb(245, 245, 0), u"Giusto."},
    {qRgb(255, 115, 0), u"Sbagliato: da correggere."},
    {qRgb(255, 255, 0), u"Giusto: il sole è completo."},
    {qRgb(255, 255, 192), u"Giusto: il sole è completo."},
}};

const QString kAttesa = QStringLiteral("?");
constexpr auto kLastDescription = "accessibleDescriptionSent";

// A control as the design names it: "Option1_7" is Option1, index 7.
struct Identity
{
    QString name;
    int index = -1;
};

Identity identify(const QWidget *control)
{
    const QString objectName = control->objectName();
    const qsizetype cut = objectName.lastIndexOf(QLatin1Char('_'));
    bool numeric = false;
    const int index = cut > 0 ? objectName.mid(cut + 1).toInt(&numeric) : -1;
    if (!numeric)
        return {objectName, -1};
    return {objectName.left(cut), index};
}

QString shownCaption(const QWidget *control)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    return {};
}

QString describeStart(const Identity &id)
{
    if (id.name == u"Option1")
        return QStringLiteral("Sceglie il centro %1").arg(id.index);
    if (id.name == u"Option2") {
        switch (id.index) {
        case 0:
            return QStringLiteral("Apre l'esercizio con il sole del centro scelto");
        case 1:
            return QStringLiteral("Riporta la selezione sul centro 0");
        case 2:
            return QStringLiteral("Chiude il programma");
        default:
            return {};
        }
    }
    if (id.name == u"Label1")
        return QStringLiteral("Il sole scelto per l'esercizio");
    return {};
}

QString keypadDescription(int index)
{
    switch (index) {
    case exercise::kCancella:
        return QStringLiteral("Cancella l'ultima cifra del risultato");
    case exercise::kAvanti:
        return QStringLiteral("Conferma il risultato e passa al raggio successivo");
    case exercise::kNuovoSole:
        return QStringLiteral("Comincia un nuovo sole con lo stesso centro");
    case exercise::kEsco:
        return QStringLiteral("Chiude l'esercizio e torna alla finestra iniziale");
    default:
        return QStringLiteral("Scrive la cifra %1 nel risultato").arg(index);
    }
}

// "raggio 3, a destra: 7 più 2", the sum left out while the sun is not drawn.
QString rayAndSum(const frmOperativo &window, int ray)
{
    QString text = QStringLiteral("raggio %1, %2")
                       .arg(ray + 1)
                       .arg(QString::fromUtf16(kPosizioni.at(static_cast<size_t>(ray))));
    const QString centre = window.Label1()->caption();
    const QString addend = window.Label2(ray)->caption();
    if (!centre.isEmpty() && !addend.isEmpty())
        text += QStringLiteral(": %1 più %2").arg(centre, addend);
    return text;
}

QString resultDescription(const frmOperativo &window, int ray)
{
    const layout::Label *box = window.lblRisultato(ray);
    QString text = QStringLiteral("Risultato del ") + rayAndSum(window, ray);
    if (!window.Label2(ray)->caption().isEmpty() && !window.Label1()->caption().isEmpty())
        text += QStringLiteral(" uguale");
    text += QStringLiteral(". ");
    const QString caption = box->caption();
    if (caption.isEmpty())
        text += QStringLiteral("Raggio non ancora raggiunto.");
    else if (caption == kAttesa)
        text += QStringLiteral("Da scrivere.");
    else
        text += QStringLiteral("Scritto %1.").arg(caption);
    const QRgb colour = layout::backColour(box).rgb();
    for (const Verdict &verdict : kVerdetti)
        if (verdict.colour == colour)
            text += QLatin1Char(' ') + QString::fromUtf16(verdict.text);
    return text;
}

QString describeExercise(const frmOperativo &window, const Identity &id)
{
    const bool isRay = id.index >= 0 && id.index < exercise::kRayCount;
    if (id.name == u"Option1" && id.index >= 0 && id.index < exercise::kKeypadCount)
        return keypadDescription(id.index);
    if (id.name == u"Label1")
        return QStringLiteral("Il numero al centro del sole, da sommare a ogni addendo");
    if (id.name == u"Label2" && isRay)
        return QStringLiteral("Addendo del ") + rayAndSum(window, id.index);
    if (id.name == u"lblRisultato" && isRay)
        return resultDescription(window, id.index);
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

// A caption change renames its label and may change the descriptions of the
// rays that read it: the centre number is part of every ray's, an addend of
// its own ray's.
void captionChanged(layout::Label *label)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent renamed(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    notifyDescription(label);
    const auto *window = qobject_cast<const frmOperativo *>(label->window());
    if (!window)
        return;
    const Identity id = identify(label);
    for (int ray = 0; ray < exercise::kRayCount; ++ray) {
        if (id.name == u"Label1")
            notifyDescription(window->Label2(ray));
        if (id.name == u"Label1" || (id.name == u"Label2" && id.index == ray))
            notifyDescription(window->lblRisultato(ray));
    }
}

// Watches the colours of labels: a result box's colour carries the check's verdict.
class ColourWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::PaletteChange && QAccessible::isActive())
            notifyDescription(static_cast<QWidget *>(watched));
        return false;
    }
};

QPointer<ColourWatcher> g_colourWatcher;

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
        if (g_colourWatcher)
            label->installEventFilter(g_colourWatcher);
        return new ControlAccessible(label, QAccessible::StaticText);
    }
    return nullptr;
}

} // namespace

void installAccessibility()
{
    if (!g_colourWatcher)
        g_colourWatcher = new ColourWatcher(QCoreApplication::instance());
    QAccessible::installFactory(interfaceFor);
}

QString accessibleDescription(const QWidget *control)
{
    if (!control)
        return {};
    const Identity id = identify(control);
    if (qobject_cast<const FrmInizio *>(control->window()))
        return describeStart(id);
    if (const auto *window = qobject_cast<const frmOperativo *>(control->window()))
        return describeExercise(*window, id);
    return {};
}

} // namespace app
