#include "start/FrmInizio.h"

#include <QAction>
#include <QTimer>
#include <array>

#ifdef Q_OS_WIN
#ifndef NOMINMAX // MinGW's libstdc++ defines it already
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "app/Windows.h"
#include "exercise/Descrizioni.h"
#include "exercise/frmOperativo.h"
#include "info/frmAutore.h"
#include "input/BankButton.h"
#include "input/ButtonBank.h"
#include "input/VirtualKey.h"
#include "start/FrmInizioDef.h"
#include "start/Tendine.h"

namespace {

constexpr auto kSettingsFile = "ImpostazioniQo.dat";

enum Comando : std::int16_t { Vai = 0, Ripristina = 1, Esci = 2 };

std::vector<input::BankButton *> bankButtons(const app::Form &form, std::string_view name,
                                             int count)
{
    std::vector<input::BankButton *> buttons;
    for (int i = 0; i < count; ++i)
        buttons.push_back(form.control<input::BankButton>(name, i));
    return buttons;
}

} // namespace

FrmInizio::FrmInizio() : app::Form(start::kFrmInizio)
{
    using input::KeyBinding;
    namespace vk = input::vk;

    auto focusCentre = [this](int centre) { input::giveFocus(Option1(centre)); };
    m_centres = new input::ButtonBank(
        bankButtons(*this, "Option1", start::kCentreCount),
        {
            KeyBinding{vk::kDigit0, vk::kDigit9,
                       [focusCentre](int key, int) { focusCentre(key - vk::kDigit0); }},
            KeyBinding{vk::kNumpad0, vk::kNumpad9,
                       [focusCentre](int key, int) { focusCentre(key - vk::kNumpad0); }},
            KeyBinding{vk::kMultiply, vk::kMultiply,
                       [focusCentre](int, int) { focusCentre(start::kCentreCount - 1); }},
            KeyBinding{vk::kEnter, vk::kEnter,
                       [this](int, int index) { ScegliCentro(static_cast<std::int16_t>(index)); }},
            KeyBinding{vk::letter('S'), vk::letter('S')},
            KeyBinding{vk::letter('N'), vk::letter('N')},
        },
        [this](int index) { ScegliCentro(static_cast<std::int16_t>(index)); },
        {.mouseReleaseClearsLatches = true, .keyUpClearsSelection = true}, this);

    m_commands = new input::ButtonBank(
        bankButtons(*this, "Option2", start::kCommandCount),
        {
            KeyBinding{vk::kDigit0, vk::kDigit0,
                       [this](int, int) { input::giveFocus(Option2(Vai)); }},
            KeyBinding{vk::kDigit0 + 1, vk::kDigit0 + 1,
                       [this](int, int) { input::giveFocus(Option2(Ripristina)); }},
            KeyBinding{vk::kEnter, vk::kEnter,
                       [this](int, int index) { EseguiComando(static_cast<std::int16_t>(index)); }},
            KeyBinding{vk::kDigit0 + 2, vk::kDigit9},
            KeyBinding{vk::kNumpad0, vk::kNumpad9},
            KeyBinding{vk::kF2, vk::kF2},
            KeyBinding{vk::letter('C'), vk::letter('C')},
            KeyBinding{vk::letter('V'), vk::letter('V')},
            KeyBinding{vk::letter('A'), vk::letter('A')},
            KeyBinding{vk::letter('N'), vk::letter('N')},
            KeyBinding{vk::letter('E'), vk::letter('E')},
            KeyBinding{vk::kBackspace, vk::kBackspace},
        },
        [this](int index) { EseguiComando(static_cast<std::int16_t>(index)); },
        {.mouseReleaseClearsLatches = true, .keyUpClearsSelection = false}, this);

    m_label1 = control<layout::Label>("Label1");
    m_label7 = control<layout::Label>("Label7");
    m_picture1 = control<layout::Frame>("Picture1");
    m_picture2 = control<layout::Frame>("Picture2");
    m_timerTendine = control<QTimer>("timerTendine");
    connect(m_timerTendine, &QTimer::timeout, this, [this] { timerTendine_Timer(); });
    connect(control<QAction>("mnuInfo"), &QAction::triggered, this, [this] { mnuInfo_Click(); });
    m_tendine = std::make_unique<start::Tendine>(m_picture1, m_picture2, m_timerTendine,
                                                 control<QWidget>("frame1"));
}

FrmInizio::~FrmInizio() = default;

input::BankButton *FrmInizio::Option1(int index) const
{
    return m_centres->button(index);
}

input::BankButton *FrmInizio::Option2(int index) const
{
    return m_commands->button(index);
}

QString FrmInizio::nomeSole(int centre)
{
    return exercise::nomeSole(centre);
}

void FrmInizio::Form_Load()
{
    MemorizzaProporzioni();
    m_label7->setCaption(m_label7->caption() + QStringLiteral("Vers.1.0") + QChar(13) +
                         QStringLiteral("Mouse "));
    VerificaEsistenzaFile(QString::fromLatin1(kSettingsFile));
    m_label7->setVisible(true);
}

void FrmInizio::Form_Resize()
{
    ApplicaProporzioni();
    AvviaTendine();
}

void FrmInizio::Form_Activate()
{
    input::giveFocus(Option1(0));
}

void FrmInizio::Form_Unload()
{
    ScaricaFinestre();
}

void FrmInizio::VerificaEsistenzaFile(const QString &fileName) const
{
    // Only whether the file opens matters, and nothing is read: a named pipe
    // with no writer must not hold up the start, so the open never waits.
#ifdef Q_OS_WIN
    // Opening an existing file for reading, shared with any other program,
    // creates nothing and never waits.
    const HANDLE file = ::CreateFileW(reinterpret_cast<LPCWSTR>(fileName.utf16()), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
#else
    const QByteArray path = fileName.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0)
        ::close(fd);
#endif
}

void FrmInizio::ScaricaFinestre()
{
    app::Unload<FrmInizio>();
    app::Unload<frmAutore>();
    app::Unload<frmOperativo>();
}

void FrmInizio::ScegliCentro(std::int16_t n)
{
    if (n >= 0 && n < start::kCentreCount) {
        m_esercizio.setNumeroCentrale(n);
        m_label1->setCaption(nomeSole(n));
        descriptionsChanged();
    }
    Option1(0)->setChecked(false);
    input::giveFocus(Option2(Vai));
}

void FrmInizio::EseguiComando(std::int16_t n)
{
    switch (n) {
    case Vai:
        app::Load<frmOperativo>(m_esercizio);
        app::Show<frmOperativo>(app::Modality::Modeless);
        break;
    case Ripristina:
        input::giveFocus(Option1(0));
        break;
    case Esci:
        app::Unload<FrmInizio>();
        break;
    default:
        break;
    }
}

void FrmInizio::mnuInfo_Click()
{
    app::Load<frmAutore>();
    app::Show<frmAutore>(app::Modality::Modal);
}

void FrmInizio::AvviaTendine()
{
    m_tendine->Avvia(outerWidthTwips());
}

void FrmInizio::timerTendine_Timer()
{
    m_tendine->Passo();
}

QString FrmInizio::accessibleDescription(const QWidget *control) const
{
    const layout::ControlDef *def = definitionOf(control);
    if (!def)
        return {};
    if (def->name == "Option1")
        return QStringLiteral("Sceglie il centro %1").arg(def->index);
    if (def->name == "Label1")
        return QStringLiteral("Il sole scelto per l'esercizio");
    if (def->name != "Option2")
        return {};
    switch (def->index) {
    case Vai:
        // Read where the focus lands once a centre is chosen: which sun starts.
        return QStringLiteral("%1: apre l'esercizio con questo sole")
            .arg(nomeSole(m_esercizio.stato().NumeroCentrale));
    case Ripristina:
        return QStringLiteral("Riporta la selezione sul centro 0");
    case Esci:
        return QStringLiteral("Chiude il programma");
    default:
        return {};
    }
}
