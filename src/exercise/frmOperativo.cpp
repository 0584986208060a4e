#include "exercise/frmOperativo.h"

#include <QAction>
#include <QPointer>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <random>

#include "app/SharedState.h"
#include "app/Windows.h"
#include "exercise/Stato.h"
#include "exercise/frmOperativoDef.h"
#include "info/frmAutore.h"
#include "info/frmIstruzioni.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "input/VirtualKey.h"
#include "layout/Controls.h"

namespace {

using exercise::state;

constexpr int kMaxAddendo = 10;
constexpr qsizetype kMaxCifre = 3;
constexpr std::array<std::int16_t, exercise::kDiscCount> kPassiIniziali{30, 15, 20, 10};

const QString kAttesa = QStringLiteral("?");
const QString kUsato = QStringLiteral("si");

const QColor kRisultatoRiposo = layout::toColor(layout::kPaleYellow);
const QColor kRisultatoEsatto{245, 245, 0};
const QColor kRisultatoErrato{255, 115, 0};
const QColor kLampeggioChiaro{255, 255, 192};
const QColor kLampeggioGiallo{255, 255, 0};

std::seed_seq::result_type lowBits(long long value)
{
    return static_cast<std::seed_seq::result_type>(value & 0xffffffffLL);
}

// Seconds since midnight to the millisecond, mixed with the high-resolution
// clock, so that two suns drawn within the same millisecond still differ.
std::mt19937 seededFromClock()
{
    const long long fine = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{lowBits(QTime::currentTime().msecsSinceStartOfDay()), lowBits(fine),
                       lowBits(fine >> 32)};
    return std::mt19937(seed);
}

// The leading decimal digits of a caption as a number; 0 when there are none.
int valoreDi(const QString &caption)
{
    int value = 0;
    for (const QChar c : caption) {
        if (!c.isDigit())
            break;
        value = value * 10 + c.digitValue();
    }
    return value;
}

void conta(std::int16_t &counter)
{
    // Nothing reads the counters; they stop at the top of their range rather than wrap.
    if (counter < std::numeric_limits<std::int16_t>::max())
        ++counter;
}

} // namespace

frmOperativo::frmOperativo() : app::Form(exercise::kFrmOperativo)
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
                           if (Option1(exercise::kCancella)->isEnabled()) {
                               input::giveFocus(Option1(exercise::kCancella));
                               CancellaCifra(true);
                           }
                       }},
            KeyBinding{vk::letter('A'), vk::letter('A'),
                       [this](int, int) { focusIfEnabled(exercise::kAvanti); }},
            KeyBinding{vk::letter('N'), vk::letter('N'),
                       [this](int, int) { focusIfEnabled(exercise::kNuovoSole); }},
            KeyBinding{vk::letter('E'), vk::letter('E'),
                       [this](int, int) { focusIfEnabled(exercise::kEsco); }},
            KeyBinding{vk::kBackspace, vk::kBackspace, [this](int, int) { CancellaCifra(false); }},
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
        connect(m_lblRisultato[at], &layout::Label::captionChanged, this,
                [this, i] { lblRisultato_Change(static_cast<std::int16_t>(i)); });
    }
    m_frame1 = control<layout::Frame>("frame1");
    m_picture11 = control<layout::Frame>("Picture11");
    m_timer2 = control<QTimer>("Timer2");
    m_timer3 = control<QTimer>("Timer3");
    m_mnuIstruzioni = control<QAction>("mnuIstruzioni");
    connect(m_timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
    connect(m_timer3, &QTimer::timeout, this, [this] { Timer3_Timer(); });
    connect(m_mnuIstruzioni, &QAction::triggered, this, [this] { mnuIstruzioni_Click(); });

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
    for (int i = 0; i < exercise::kDiscCount; ++i)
        exercise::passoRimbalzo(state, i) = kPassiIniziali.at(static_cast<size_t>(i));
    for (int i = 0; i < exercise::kRayCount; ++i) {
        Label2(i)->setCaption(QString());
        lblSegno(i)->setCaption(QStringLiteral("+"));
        lblUguale(i)->setCaption(QStringLiteral("="));
    }
    NuovoSole();
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

void frmOperativo::NuovoSole()
{
    m_timer2->stop();
    m_timer3->stop();
    m_picture11->hide();
    state.ContatoreLampeggi = 0;
    state.RaggioCorrente = 0;
    state.VerificaAvviata = false;
    for (QString &entry : state.TabellaUsati)
        entry.clear();
    for (int i = 0; i < exercise::kRayCount; ++i) {
        lblRisultato(i)->setCaption(QString());
        layout::setBackColour(lblRisultato(i), kRisultatoRiposo);
        lblSegno(i)->hide();
        lblUguale(i)->hide();
    }
    lblRisultato(0)->setCaption(kAttesa);
    lblSegno(0)->show();
    lblUguale(0)->show();
    // Clearing the captions enabled "Avanti" through the change rule: this
    // puts it back off, so every sun starts with "Avanti" disabled.
    AbilitaTastierino();
    CreaSole();
}

void frmOperativo::CreaSole()
{
    std::mt19937 generator = seededFromClock();
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int i = 0; i < exercise::kRayCount; ++i) {
        int n = 0;
        do {
            // min() keeps a draw that rounds up to 1.0 inside 1..10.
            n = std::min(static_cast<int>(std::floor(uniform(generator) * kMaxAddendo)) + 1,
                         kMaxAddendo);
            state.NumeroEstratto = static_cast<std::uint8_t>(n);
        } while (state.TabellaUsati.at(static_cast<size_t>(n)) == kUsato);
        state.TabellaUsati.at(static_cast<size_t>(n)) = kUsato;
        m_label1->setCaption(QString::number(app::NumeroCentrale));
        state.Addendi.at(static_cast<size_t>(i)) = static_cast<std::uint8_t>(n);
        Label2(i)->setCaption(QString::number(n));
        state.Somme.at(static_cast<size_t>(i)) = static_cast<std::uint8_t>(app::NumeroCentrale + n);
    }
}

layout::Label *frmOperativo::currentResult() const
{
    // Once a check has found all eight right there is no current result.
    if (state.RaggioCorrente < 0 || state.RaggioCorrente >= exercise::kRayCount)
        return nullptr;
    return lblRisultato(state.RaggioCorrente);
}

void frmOperativo::InserisciCifra(int cifra)
{
    layout::Label *result = currentResult();
    if (!result)
        return;
    if (result->caption() == kAttesa)
        result->setCaption(QString());
    result->setCaption(result->caption() + QString::number(cifra));
    if (result->caption().startsWith(QLatin1Char('0')))
        result->setCaption(kAttesa);
    if (result->caption().size() >= kMaxCifre)
        result->setCaption(result->caption().left(kMaxCifre));
}

void frmOperativo::CancellaCifra(bool disabilita)
{
    layout::Label *result = currentResult();
    if (!result)
        return;
    const QString caption = result->caption();
    result->setCaption(caption.left(std::max<qsizetype>(0, caption.size() - 1)));
    if (result->caption().isEmpty()) {
        result->setCaption(kAttesa);
        if (disabilita)
            Option1(exercise::kAvanti)->setEnabled(false);
    }
}

void frmOperativo::AttivaPulsante(std::int16_t i)
{
    if (i >= 0 && i <= 9) {
        InserisciCifra(i);
        return;
    }
    switch (i) {
    case exercise::kCancella:
        CancellaCifra(true);
        break;
    case exercise::kAvanti:
        // "Avanza" disables the button that has the focus: move it first.
        input::giveFocus(Option1(1));
        Avanza();
        break;
    case exercise::kNuovoSole:
        layout::setBackColour(m_frame1, layout::toColor(layout::kPeach));
        NuovoSole();
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

void frmOperativo::Avanza()
{
    Option1(exercise::kAvanti)->setEnabled(false);
    if (state.VerificaAvviata) {
        ControllaRisultati();
        return;
    }
    ++state.RaggioCorrente;
    if (state.RaggioCorrente >= exercise::kRayCount) {
        state.RaggioCorrente = 0;
        ControllaRisultati();
        return;
    }
    const int ray = state.RaggioCorrente;
    lblRisultato(ray)->setCaption(kAttesa);
    lblSegno(ray)->show();
    lblUguale(ray)->show();
}

void frmOperativo::ControllaRisultati()
{
    state.VerificaAvviata = true;
    for (std::int16_t k = 0; k < exercise::kRayCount; ++k) {
        state.RaggioCorrente = k;
        layout::Label *result = lblRisultato(k);
        if (valoreDi(result->caption()) == state.Somme.at(static_cast<size_t>(k))) {
            layout::setBackColour(result, kRisultatoEsatto);
            conta(state.ContatoreEsatte);
            continue;
        }
        layout::setBackColour(result, kRisultatoErrato);
        result->setCaption(kAttesa);
        conta(state.ContatoreErrori);
        return;
    }
    state.RaggioCorrente = exercise::kRayCount;
    m_timer3->start();
    m_timer2->start();
    // The lettered discs are shown while the celebration runs.
    m_picture11->show();
}

void frmOperativo::AbilitaTastierino()
{
    for (int i = 0; i <= exercise::kCancella; ++i)
        Option1(i)->setEnabled(true);
    for (int i : {exercise::kAvanti, exercise::kNuovoSole, exercise::kEsco})
        Option1(i)->setEnabled(false);
}

void frmOperativo::BloccaTastierino()
{
    for (int i = 0; i <= exercise::kAvanti; ++i)
        Option1(i)->setEnabled(false);
    Option1(exercise::kNuovoSole)->setEnabled(true);
    Option1(exercise::kEsco)->setEnabled(true);
    input::giveFocus(Option1(exercise::kNuovoSole));
}

void frmOperativo::lblRisultato_Change(std::int16_t Index)
{
    if (lblRisultato(Index)->caption() != kAttesa)
        Option1(exercise::kAvanti)->setEnabled(true);
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
    InserisciCifra(digit);
    focusIfEnabled(exercise::kAvanti);
}

void frmOperativo::focusIfEnabled(int index)
{
    if (Option1(index)->isEnabled())
        input::giveFocus(Option1(index));
}

void frmOperativo::Timer3_Timer()
{
    ++state.ContatoreLampeggi;
    const bool even = state.ContatoreLampeggi % 2 == 0;
    layout::setBackColour(m_frame1, even ? kLampeggioChiaro : kLampeggioGiallo);
    for (layout::Label *result : m_lblRisultato)
        layout::setBackColour(result, even ? kLampeggioGiallo : kLampeggioChiaro);
    BloccaTastierino();
}

void frmOperativo::Timer2_Timer()
{
    for (int i = exercise::kDiscCount - 1; i >= 0; --i) {
        MovingFrame &frame = m_frame2.at(static_cast<size_t>(i));
        frame.top += exercise::passoRimbalzo(state, i);
        placeFrame2(frame);
    }
    // Both tests run after all four moves; a disc that meets both in one tick
    // is complemented twice and keeps its step.
    for (int i = exercise::kDiscCount - 1; i >= 0; --i) {
        const MovingFrame &frame = m_frame2.at(static_cast<size_t>(i));
        std::int16_t &passo = exercise::passoRimbalzo(state, i);
        if (m_picture11Height - frame.height <= frame.top)
            passo = static_cast<std::int16_t>(~passo);
    }
    // Only a disc going up turns at the top. A disc whose climb ended exactly
    // one down step past the top lands on it going down: turned there, it
    // would climb again, be turned again at every tick and leave the panel for
    // good. At the design size no disc ever meets that case.
    for (int i = exercise::kDiscCount - 1; i >= 0; --i) {
        const MovingFrame &frame = m_frame2.at(static_cast<size_t>(i));
        std::int16_t &passo = exercise::passoRimbalzo(state, i);
        if (frame.top <= 0 && passo < 0)
            passo = static_cast<std::int16_t>(~passo);
    }
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
