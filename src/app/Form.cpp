#include "app/Form.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QEvent>
#include <QMenuBar>

#include "app/Accessibility.h"
#include "app/Application.h"
#include "app/Windows.h"
#include "input/BankButton.h"
#include "layout/Controls.h"

namespace app {

namespace {
void deliverResize(Form &form, bool &resizing)
{
    // Laying the controls out never resizes the window; a resize that did
    // arrive meanwhile would find it being laid out already.
    if (resizing)
        return;
    resizing = true;
    form.Form_Resize();
    resizing = false;
}
} // namespace

Form::Form(const layout::WindowDef &definition) : m_definition(definition)
{
    static const bool fontsReady = (installFontSubstitutions(), true);
    Q_UNUSED(fontsReady);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QString::fromUtf8(definition.caption.data(),
                                     static_cast<qsizetype>(definition.caption.size())));
    if (!definition.icon.empty())
        setWindowIcon(QIcon(QString::fromLatin1(definition.icon.data(),
                                                static_cast<qsizetype>(definition.icon.size()))));
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    layout::setBackColour(m_client, layout::toColor(definition.back));
    setCentralWidget(m_client);
    m_client->resize(layout::twipsToPixels(definition.innerWidth),
                     layout::twipsToPixels(definition.innerHeight));
    // Every graphical option button belongs to a bank, which the window sets up.
    m_controls = layout::buildControls(definition, this, m_client, [](QWidget *parent) {
        return static_cast<layout::FlatButton *>(new input::BankButton(parent));
    });
    m_client->installEventFilter(this);
}

Form::~Form() = default;

int Form::innerWidthTwips() const
{
    return isMinimized() ? 0 : m_client->width() * layout::kTwipsPerPixel;
}

int Form::innerHeightTwips() const
{
    return isMinimized() ? 0 : m_client->height() * layout::kTwipsPerPixel;
}

int Form::outerWidthTwips() const
{
    const int outer = isVisible() ? frameGeometry().width() : width();
    return outer * layout::kTwipsPerPixel;
}

void Form::MemorizzaProporzioni()
{
    ProporzioniControlli =
        layout::MemorizzaProporzioni(m_controls, m_definition.innerWidth, m_definition.innerHeight);
}

void Form::ApplicaProporzioni()
{
    layout::ApplicaProporzioni(m_controls, ProporzioniControlli, innerWidthTwips(),
                               innerHeightTwips());
}

QObject *Form::findControl(std::string_view name, int index) const
{
    const QString objectName = layout::objectNameFor(name, index);
    for (const layout::Control &control : m_controls)
        if (control.object && control.object->objectName() == objectName)
            return control.object;
    return nullptr;
}

const layout::ControlDef *Form::definitionOf(const QObject *control) const
{
    for (const layout::Control &entry : m_controls)
        if (entry.object == control)
            return entry.def;
    return nullptr;
}

QString Form::accessibleDescription(const QWidget *) const
{
    return {};
}

void Form::descriptionsChanged()
{
    // One handler may change the state many times over; the screen reader
    // hears of the descriptions once it has finished.
    app::descriptionsChanged(*this);
}

bool Form::event(QEvent *event)
{
    // A window that becomes active again after the pupil was in another
    // program raises no activate event: only a return from one of ours does.
    if (event->type() == QEvent::WindowActivate && noteActivation(this)) {
        const bool result = QMainWindow::event(event);
        Form_Activate();
        return result;
    }
    return QMainWindow::event(event);
}

void Form::closeEvent(QCloseEvent *event)
{
    // The close box unloads the window like any other way of closing it.
    event->ignore();
    if (m_instance)
        unloadWindow(*m_instance);
}

void Form::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Minimise, maximise and restore are changes of size: some window systems
    // report only the new state, and a window restored from minimised keeps
    // the size it had, so the state change alone lays the window out. When a
    // new size follows, its own resize lays it out again at that size.
    if (event->type() == QEvent::WindowStateChange && isVisible())
        deliverResize(*this, m_resizing);
}

bool Form::eventFilter(QObject *watched, QEvent *event)
{
    // The inner area is sized at first show and at every change of size.
    if (watched == m_client && event->type() == QEvent::Resize && isVisible())
        deliverResize(*this, m_resizing);
    return QMainWindow::eventFilter(watched, event);
}

} // namespace app
