#include "exercise/frmOperativo.h"

#include <QAction>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <cmath>

#include "app/Windows.h"
#include "exercise/Descrizioni.h"
#include "exercise/frmOperativoDef.h"
#include "info/frmAutore.h"
#include "info/frmIstruzioni.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "input/VirtualKey.h"
#include "layout/Controls.h"

namespace {

using exercise::Verdetto;

const QColor kRisultatoRiposo = layout::toColor(layout::kPaleYellow);
const QColor kRisultatoEsatto{245, 245, 0};
const QColor kRisultatoErrato{255, 115, 0};
const QColor kLampeggioChiaro{255, 255, 192};
const QColor kLampeggioGiallo = layout::toColor(layout::kYellow);
const QColor kSoleRiposo = layout::toColor(layout::kPeach);

// A result's colour: the blink's once it has begun, else its verdict's.
QColor coloreRisultato(const exercise::Esercizio &esercizio, int ray)
{
    const exercise::Stato &stato = esercizio.stato();
    if (stato.Lampeggio)
        return esercizio.lampeggioDispari() ? kLampeggioChiaro : kLampeggioGiallo;
    switch (stato.Verdetti.at(static_cast<size_t>(ray))) {
    case Verdetto::Esatto:
        return kRisultatoEsatto;
    case Verdetto::Errato:
        return kRisultatoErrato;
    case Verdetto::DaControllare:
        break;
    }
    return kRisultatoRiposo;
}

} // namespace

frmOperativo::frmOperativo(exercise::Esercizio &esercizio)
    : app::Form(exercise::kFrmOperativo), m_esercizio(esercizio)
{
    using input::KeyBinding;
    namespace vk = input::vk;

    std::vector<input::BankButton *> buttons;
    for (int i = 0; i < exercise::kKeypadCount; ++i)
        buttons.push_back(control<input::BankButton>("Option1", i));

    m_keypad = new input::ButtonBank(
        std::move(buttons),
        {
            KeyBinding{vk::kDigit0, vk::kDigit9,
                       [this](int key, int) { digitKey(key - vk::kDigit0); }},
            KeyBinding{vk::kNumpad0, vk::kNumpad9,
                       [this](int key, int) { digitKey(key - vk::kNumpad0); }},
            KeyBinding{vk::letter('C'), vk::letter('C'),
                       [this](int, int) {
                           if (m_esercizio.stato().Abilitati.at(exercise::kCancella)) {
                               input::giveFocus(Option1(exercise::kCancella));
                               m_esercizio.CancellaCifra(true);
                           }
                       }},
            KeyBinding{vk::letter('A'), vk::letter('A'),
                       [this](int, int) { focusIfEnabled(exercise::kAvanti); }},
            KeyBinding{vk::letter('N'), vk::letter('N'),
                       [this](int, int) { focusIfEnabled(exercise::kNuovoSole); }},
            KeyBinding{vk::letter('E'), vk::letter('E'),
                       [this](int, int) { focusIfEnabled(exercise::kEsco); }},
            KeyBinding{vk::kBackspace, vk::kBackspace,
                       [this](int, int) { m_esercizio.CancellaCifra(false); }},
            KeyBinding{
                vk::kEnter, vk::kEnter,
                [this](int, int index) { AttivaPulsante(static_cast<std::int16_t>(index)); }},
            KeyBinding{vk::kF2, vk::kF2},
            KeyBinding{vk::letter('V'), vk::letter('V')},
            KeyBinding{vk::kLeft, vk::kDown},
        },
        [this](int index) { AttivaPulsante(static_cast<std::int16_t>(index)); },
        {.mouseReleaseClearsLatches = false, .keyUpClearsSelection = false}, this);

    m_label1 = control<layout::Label>("Label1");
    for (int i = 0; i < exercise::kRayCount; ++i) {
        const auto at = static_cast<size_t>(i);
        m_label2[at] = control<layout::Label>("Label2", i);
        m_lblSegno[at] = control<layout::Label>("lblSegno", i);
        m_lblUguale[at] = control<layout::Label>("lblUguale", i);
        m_lblRisultato[at] = control<layout::Label>("lblRisultato", i);
    }
    m_frame1 = control<layout::Frame>("frame1");
    m_picture11 = control<layout::Frame>("Picture11");
    m_timer2 = control<QTimer>("Timer2");
    m_timer3 = control<QTimer>("Timer3");
    m_mnuIstruzioni = control<QAction>("mnuIstruzioni");
    connect(m_timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
    connect(m_timer3, &QTimer::timeout, this, [this] { Timer3_Timer(); });
    connect(m_mnuIstruzioni, &QAction::triggered, this, [this] { mnuIstruzioni_Click(); });

    using exercise::Esercizio;
    connect(&m_esercizio, &Esercizio::raggioCambiato, this, [this](int ray) { drawRay(ray); });
    connect(&m_esercizio, &Esercizio::soleCreato, this, [this] { drawSun(); });
    connect(&m_esercizio, &Esercizio::pulsanteCambiato, this, [this](int i) { drawKey(i); });
    connect(&m_esercizio, &Esercizio::festaCambiata, this, [this](bool on) { celebrate(on); });
    connect(&m_esercizio, &Esercizio::lampeggioCambiato, this, [this] { drawBlink(); });

    // The bouncing frames start at their design places, in twips.
    const std::vector<layout::Control> &collection = controls();
    for (size_t c = 0; c < collection.size(); ++c) {
        const layout::ControlDef &def = *collection[c].def;
        if (def.name == "Picture11") {
            m_picture11Index = static_cast<int>(c);
            m_picture11Height = def.height;
        } else if (def.name == "Frame2") {
            MovingFrame &frame = m_frame2.at(static_cast<size_t>(def.index));
            frame = {.widget = qobject_cast<layout::Frame *>(collection[c].object.data()),
                     .collectionIndex = static_cast<int>(c),
                     .left = def.left,
                     .top = def.top,
                     .width = def.width,
                     .height = def.height};
        }
    }
}

input::BankButton *frmOperativo::Option1(int index) const
{
    return m_keypad->button(index);
}

void frmOperativo::Form_Load()
{
    MemorizzaProporzioni();
    for (int i = 0; i < exercise::kRayCount; ++i) {
        Label2(i)->setCaption(QString());
        lblSegno(i)->setCaption(QStringLiteral("+"));
        lblUguale(i)->setCaption(QStringLiteral("="));
    }
    // The new sun stops the timers, one of which is created running, and
    // draws every ray; the keypad may already be in the state it ends in,
    // which then changes nothing, so it is drawn as a whole.
    m_esercizio.Carica();
    for (int i = 0; i < exercise::kKeypadCount; ++i)
        drawKey(i);
}

void frmOperativo::Form_Resize()
{
    ApplicaProporzioni();
    syncBounceGeometry();
}

void frmOperativo::Form_Unload()
{
    // The timers stop with the window, before it is destroyed.
    m_timer2->stop();
    m_timer3->stop();
}

void frmOperativo::AttivaPulsante(std::int16_t i)
{
    if (i >= 0 && i <= 9) {
        m_esercizio.InserisciCifra(i);
        return;
    }
    switch (i) {
    case exercise::kCancella:
        m_esercizio.CancellaCifra(true);
        break;
    case exercise::kAvanti:
        // "Avanza" disables the button that has the focus: move it first.
        input::giveFocus(Option1(1));
        m_esercizio.Avanza();
        break;
    case exercise::kNuovoSole:
        layout::setBackColour(m_frame1, kSoleRiposo);
        m_esercizio.NuovoSole();
        // The entry state disables "Nuovo sole": keep an enabled button under
        // the focus for the keyboard and scanning.
        input::giveFocus(Option1(1));
        break;
    case exercise::kEsco:
        app::Unload<frmAutore>();
        app::Unload<frmIstruzioni>();
        app::Unload<frmOperativo>();
        break;
    default:
        break;
    }
}

void frmOperativo::BloccaTastierino()
{
    // A keypad button that has the focus and is about to be disabled would
    // hand it on to each button after it as they are disabled in turn, and a
    // screen reader would read them all on the way to "Nuovo sole": the
    // focus leaves it first, when "Nuovo sole" is sure to take it.
    const auto *modal = QGuiApplication::modalWindow();
    const auto *focused = qobject_cast<input::BankButton *>(focusWidget());
    if (focused && focused->bank() == m_keypad && focused->index() <= exercise::kAvanti &&
        (!modal || modal == windowHandle()))
        focusWidget()->clearFocus();
    m_esercizio.BloccaTastierino();
    input::giveFocus(Option1(exercise::kNuovoSole));
}

void frmOperativo::mnuIstruzioni_Click()
{
    const QPointer<frmOperativo> self(this);
    app::Load<frmIstruzioni>();
    app::Show<frmIstruzioni>(app::Modality::Modal);
    if (self)
        input::giveFocus(Option1(1));
}

void frmOperativo::digitKey(int digit)
{
    m_esercizio.InserisciCifra(digit);
    focusIfEnabled(exercise::kAvanti);
}

void frmOperativo::focusIfEnabled(int index)
{
    if (Option1(index)->isEnabled())
        input::giveFocus(Option1(index));
}

void frmOperativo::Timer3_Timer()
{
    m_esercizio.Lampeggia();
    BloccaTastierino();
}

void frmOperativo::Timer2_Timer()
{
    std::array<int, exercise::kDiscCount> tops{};
    std::array<int, exercise::kDiscCount> heights{};
    for (size_t i = 0; i < m_frame2.size(); ++i) {
        tops.at(i) = m_frame2.at(i).top;
        heights.at(i) = m_frame2.at(i).height;
    }
    m_esercizio.Rimbalza(tops, heights, m_picture11Height);
    for (size_t i = m_frame2.size(); i-- > 0;) {
        m_frame2.at(i).top = tops.at(i);
        placeFrame2(m_frame2.at(i));
    }
}

void frmOperativo::drawRay(int ray)
{
    const exercise::Stato &stato = m_esercizio.stato();
    const auto at = static_cast<size_t>(ray);
    lblRisultato(ray)->setCaption(stato.Risultati.at(at));
    layout::setBackColour(lblRisultato(ray), coloreRisultato(m_esercizio, ray));
    lblSegno(ray)->setVisible(m_esercizio.raggiunto(ray));
    lblUguale(ray)->setVisible(m_esercizio.raggiunto(ray));
    descriptionsChanged();
}

void frmOperativo::drawSun()
{
    const exercise::Stato &stato = m_esercizio.stato();
    m_label1->setCaption(QString::number(m_esercizio.centroDelSole()));
    for (int i = 0; i < exercise::kRayCount; ++i)
        Label2(i)->setCaption(QString::number(stato.Addendi.at(static_cast<size_t>(i))));
    // The window's title stays the design's; a screen reader names it by its sun.
    setAccessibleName(exercise::nomeFinestra(m_esercizio));
    descriptionsChanged();
}

void frmOperativo::drawKey(int index)
{
    Option1(index)->setEnabled(m_esercizio.stato().Abilitati.at(static_cast<size_t>(index)));
    descriptionsChanged();
}

void frmOperativo::drawBlink()
{
    const bool odd = m_esercizio.lampeggioDispari();
    layout::setBackColour(m_frame1, odd ? kLampeggioGiallo : kLampeggioChiaro);
    for (int ray = 0; ray < exercise::kRayCount; ++ray)
        layout::setBackColour(lblRisultato(ray), coloreRisultato(m_esercizio, ray));
    descriptionsChanged();
}

void frmOperativo::celebrate(bool running)
{
    if (running) {
        m_timer3->start();
        m_timer2->start();
    } else {
        m_timer2->stop();
        m_timer3->stop();
    }
    // The lettered discs are shown while the celebration runs.
    m_picture11->setVisible(running);
    descriptionsChanged();
}

QString frmOperativo::accessibleDescription(const QWidget *control) const
{
    const layout::ControlDef *def = definitionOf(control);
    return def ? exercise::descrizione(m_esercizio, def->name, def->index) : QString();
}

void frmOperativo::placeFrame2(const MovingFrame &frame)
{
    if (frame.widget)
        layout::moveControl(frame.widget, frame.left, frame.top, frame.width, frame.height);
}

// The layout has just put every control at its fraction of the new size: the
// bouncing frames take up their scaled design places again, in twips.
void frmOperativo::syncBounceGeometry()
{
    const auto W = static_cast<float>(innerWidthTwips());
    const auto H = static_cast<float>(innerHeightTwips());
    auto entry = [this](int index) -> const layout::Proporzioni * {
        if (index < 0 || static_cast<size_t>(index) >= ProporzioniControlli.size())
            return nullptr;
        return &ProporzioniControlli[static_cast<size_t>(index)];
    };
    auto twips = [](float value) { return static_cast<int>(std::lround(value)); };
    if (const layout::Proporzioni *p = entry(m_picture11Index))
        m_picture11Height = twips(H * p->Altezza);
    for (MovingFrame &frame : m_frame2) {
        const layout::Proporzioni *p = entry(frame.collectionIndex);
        if (!p)
            continue;
        frame.left = twips(W * p->Sinistra);
        frame.top = twips(H * p->Alto);
        frame.width = twips(W * p->Larghezza);
        frame.height = twips(H * p->Altezza);
    }
}
