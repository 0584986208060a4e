#pragma once
// The exercise apart from any window: the centre chosen on the start window,
// the sun being answered and the rules that draw it, enter and erase digits,
// move from ray to ray, check the eight results, keep the keypad's states and
// bounce the lettered discs. The exercise window draws this state onto its
// controls and wires its keys and timers to these procedures; it decides
// nothing itself. The start window owns the one exercise of the run, so the
// state outlives every exercise window: reopening the window starts a new sun
// but keeps the counters and the bounce steps.

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <random>

namespace exercise {

constexpr int kRayCount = 8;
constexpr int kDiscCount = 4;
constexpr int kKeypadCount = 14;
constexpr int kMaxAddendo = 10;

// Keypad buttons past the digits.
constexpr int kCancella = 10;
constexpr int kAvanti = 11;
constexpr int kNuovoSole = 12;
constexpr int kEsco = 13;

// What the check found of a ray's result.
enum class Verdetto : std::uint8_t { DaControllare, Esatto, Errato };

struct Stato
{
    // The centre of the sun, 0 to 10: set on the start window, read at every new sun.
    std::int16_t NumeroCentrale = 0;
    std::array<std::uint8_t, 10> Addendi{}; // entries 0..7 used
    std::array<std::uint8_t, 10> Somme{};   // centre + addend, entries 0..7 used
    std::uint8_t NumeroEstratto = 0;
    // Entry n is set while n stands on a ray of the current sun; 1..10 used.
    std::array<bool, 12> TabellaUsati{};
    // The ray being entered, 0..7; 8 once a check has found all eight right.
    std::int16_t RaggioCorrente = 0;
    bool VerificaAvviata = false;
    std::int16_t ContatoreEsatte = 0;
    std::int16_t ContatoreErrori = 0;
    std::uint8_t ContatoreLampeggi = 0; // only its parity matters; wraps from 255 to 0
    // Vertical step of each disc per bounce tick, in twips; positive goes down.
    std::array<std::int16_t, kDiscCount> PassoRimbalzo{};

    // What each result box holds: empty before its ray is reached, "?" while
    // waiting for digits, then the digits typed.
    std::array<QString, kRayCount> Risultati{};
    std::array<Verdetto, kRayCount> Verdetti{};
    // Which keypad buttons can be used.
    std::array<bool, kKeypadCount> Abilitati{};
    // The first blink tick has come: the result boxes show the blink's colours.
    bool Lampeggio = false;
};

class Esercizio : public QObject
{
    Q_OBJECT
public:
    // Called at every sun: the generator the sun's numbers are drawn from.
    using Sorgente = std::function<std::mt19937()>;

    explicit Esercizio(QObject *parent = nullptr);
    explicit Esercizio(Sorgente sorgente, QObject *parent = nullptr);

    // A generator seeded from the time of day, different at every sun.
    static std::mt19937 dallOrologio();
    void setSorgente(Sorgente sorgente) { m_sorgente = std::move(sorgente); }

    const Stato &stato() const { return m_stato; }
    void setNumeroCentrale(std::int16_t centro) { m_stato.NumeroCentrale = centro; }

    // What the exercise window's load does: the discs take their first steps
    // and a new sun starts.
    void Carica();
    void NuovoSole();
    void CreaSole();
    void InserisciCifra(int cifra);
    void CancellaCifra(bool disabilita);
    void Avanza();
    void ControllaRisultati();
    void AbilitaTastierino();
    void BloccaTastierino();
    // One tick of the completion blink: the count and the colours' phase.
    void Lampeggia();
    // One tick of the bounce: moves the discs' tops (twips within their
    // panel) and turns a disc that reaches the bottom or, going up, the top.
    void Rimbalza(std::array<int, kDiscCount> &alti, const std::array<int, kDiscCount> &altezze,
                  int altezzaPannello);

    // The ray whose result is being entered, or -1 once the sun is complete.
    int raggioInCorso() const;
    // All eight found right: the blink and the bounce run until the next sun.
    bool festa() const { return m_stato.RaggioCorrente == kRayCount; }
    // A ray's "+" and "=" show once the ray has been reached: every ray up to
    // the current one, and all of them once the results have been checked.
    bool raggiunto(int raggio) const
    {
        return m_stato.VerificaAvviata || raggio <= m_stato.RaggioCorrente;
    }
    // The centre of the sun drawn last; the start window may have chosen
    // another since, which the next sun takes.
    int centroDelSole() const { return m_stato.Somme[0] - m_stato.Addendi[0]; }
    // The number of rays whose result, as it stands, differs from its sum.
    int risultatiSbagliati() const;
    // Whether the blink is in its odd phase: yellow sun, light result boxes.
    bool lampeggioDispari() const { return m_stato.ContatoreLampeggi % 2 != 0; }

Q_SIGNALS:
    // The result, verdict or visibility of a ray changed.
    void raggioCambiato(int raggio);
    // A new sun was drawn: centre and addends.
    void soleCreato();
    // A keypad button became usable or unusable.
    void pulsanteCambiato(int pulsante);
    // The celebration started, or a new sun stopped whatever ran: the timers follow.
    void festaCambiata(bool inCorso);
    void lampeggioCambiato();

private:
    // Every change of a result goes through here: any text but "?" makes
    // "Avanti" usable, even a step that is undone at once.
    void scriviRisultato(int raggio, const QString &testo);
    void abilita(int pulsante, bool abilitato);

    Stato m_stato;
    Sorgente m_sorgente;
};

} // namespace exercise
