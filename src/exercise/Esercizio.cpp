#include "exercise/Esercizio.h"

#include <QTime>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace exercise {

namespace {

constexpr qsizetype kMaxCifre = 3;
constexpr std::array<std::int16_t, kDiscCount> kPassiIniziali{30, 15, 20, 10};

const QString kAttesa = QStringLiteral("?");

std::seed_seq::result_type lowBits(long long value)
{
    return static_cast<std::seed_seq::result_type>(value & 0xffffffffLL);
}

// The leading decimal digits of a result as a number; 0 when there are none.
int valoreDi(const QString &testo)
{
    int value = 0;
    for (const QChar c : testo) {
        if (!c.isDigit())
            break;
        value = value * 10 + c.digitValue();
    }
    return value;
}

void conta(std::int16_t &contatore)
{
    // Nothing reads the counters; they stop at the top of their range rather than wrap.
    if (contatore < std::numeric_limits<std::int16_t>::max())
        ++contatore;
}

std::int16_t complemento(std::int16_t passo)
{
    return static_cast<std::int16_t>(~passo);
}

} // namespace

Esercizio::Esercizio(QObject *parent) : Esercizio(dallOrologio, parent) {}

Esercizio::Esercizio(Sorgente sorgente, QObject *parent)
    : QObject(parent), m_sorgente(std::move(sorgente))
{
    AbilitaTastierino();
}

// Seconds since midnight to the millisecond, mixed with the high-resolution
// clock, so that two suns drawn within the same millisecond still differ.
std::mt19937 Esercizio::dallOrologio()
{
    const long long fine = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{lowBits(QTime::currentTime().msecsSinceStartOfDay()), lowBits(fine),
                       lowBits(fine >> 32)};
    return std::mt19937(seed);
}

void Esercizio::Carica()
{
    m_stato.PassoRimbalzo = kPassiIniziali;
    NuovoSole();
}

void Esercizio::NuovoSole()
{
    m_stato.Lampeggio = false;
    m_stato.ContatoreLampeggi = 0;
    m_stato.RaggioCorrente = 0;
    m_stato.VerificaAvviata = false;
    m_stato.TabellaUsati.fill(false);
    Q_EMIT festaCambiata(false);
    for (int k = 0; k < kRayCount; ++k) {
        m_stato.Verdetti.at(static_cast<size_t>(k)) = Verdetto::DaControllare;
        scriviRisultato(k, QString());
        Q_EMIT raggioCambiato(k);
    }
    scriviRisultato(0, kAttesa);
    // Clearing the results made "Avanti" usable through the change rule: the
    // entry state puts it back off, so every sun starts with "Avanti" disabled.
    AbilitaTastierino();
    CreaSole();
}

void Esercizio::CreaSole()
{
    std::mt19937 generatore = m_sorgente();
    std::uniform_real_distribution<double> uniforme(0.0, 1.0);
    for (size_t i = 0; i < kRayCount; ++i) {
        int n = 0;
        do {
            // min() keeps a draw that rounds up to 1.0 inside 1..10.
            n = std::min(static_cast<int>(std::floor(uniforme(generatore) * kMaxAddendo)) + 1,
                         kMaxAddendo);
            m_stato.NumeroEstratto = static_cast<std::uint8_t>(n);
        } while (m_stato.TabellaUsati.at(static_cast<size_t>(n)));
        m_stato.TabellaUsati.at(static_cast<size_t>(n)) = true;
        m_stato.Addendi.at(i) = static_cast<std::uint8_t>(n);
        m_stato.Somme.at(i) = static_cast<std::uint8_t>(m_stato.NumeroCentrale + n);
    }
    Q_EMIT soleCreato();
}

int Esercizio::raggioInCorso() const
{
    // Once a check has found all eight right there is no current result.
    const int raggio = m_stato.RaggioCorrente;
    return raggio >= 0 && raggio < kRayCount ? raggio : -1;
}

void Esercizio::InserisciCifra(int cifra)
{
    const int k = raggioInCorso();
    if (k < 0)
        return;
    const QString &risultato = m_stato.Risultati.at(static_cast<size_t>(k));
    if (risultato == kAttesa)
        scriviRisultato(k, QString());
    scriviRisultato(k, risultato + QString::number(cifra));
    if (risultato.startsWith(QLatin1Char('0')))
        scriviRisultato(k, kAttesa);
    if (risultato.size() >= kMaxCifre)
        scriviRisultato(k, risultato.left(kMaxCifre));
}

void Esercizio::CancellaCifra(bool disabilita)
{
    const int k = raggioInCorso();
    if (k < 0)
        return;
    const QString &risultato = m_stato.Risultati.at(static_cast<size_t>(k));
    scriviRisultato(k, risultato.left(std::max<qsizetype>(0, risultato.size() - 1)));
    if (risultato.isEmpty()) {
        scriviRisultato(k, kAttesa);
        if (disabilita)
            abilita(kAvanti, false);
    }
}

void Esercizio::Avanza()
{
    abilita(kAvanti, false);
    if (m_stato.VerificaAvviata) {
        ControllaRisultati();
        return;
    }
    ++m_stato.RaggioCorrente;
    if (m_stato.RaggioCorrente >= kRayCount) {
        m_stato.RaggioCorrente = 0;
        ControllaRisultati();
        return;
    }
    scriviRisultato(m_stato.RaggioCorrente, kAttesa);
}

void Esercizio::ControllaRisultati()
{
    m_stato.VerificaAvviata = true;
    for (std::int16_t k = 0; k < kRayCount; ++k) {
        m_stato.RaggioCorrente = k;
        const auto at = static_cast<size_t>(k);
        if (valoreDi(m_stato.Risultati.at(at)) == m_stato.Somme.at(at)) {
            m_stato.Verdetti.at(at) = Verdetto::Esatto;
            conta(m_stato.ContatoreEsatte);
            Q_EMIT raggioCambiato(k);
            continue;
        }
        m_stato.Verdetti.at(at) = Verdetto::Errato;
        scriviRisultato(k, kAttesa);
        conta(m_stato.ContatoreErrori);
        Q_EMIT raggioCambiato(k);
        return;
    }
    m_stato.RaggioCorrente = kRayCount;
    Q_EMIT festaCambiata(true);
}

void Esercizio::AbilitaTastierino()
{
    for (int i = 0; i <= kCancella; ++i)
        abilita(i, true);
    for (int i : {kAvanti, kNuovoSole, kEsco})
        abilita(i, false);
}

void Esercizio::BloccaTastierino()
{
    for (int i = 0; i <= kAvanti; ++i)
        abilita(i, false);
    abilita(kNuovoSole, true);
    abilita(kEsco, true);
}

void Esercizio::Lampeggia()
{
    ++m_stato.ContatoreLampeggi;
    m_stato.Lampeggio = true;
    Q_EMIT lampeggioCambiato();
}

void Esercizio::Rimbalza(std::array<int, kDiscCount> &alti, const std::array<int, kDiscCount> &altezze,
                         int altezzaPannello)
{
    for (size_t i = kDiscCount; i-- > 0;)
        alti.at(i) += m_stato.PassoRimbalzo.at(i);
    // Both tests run after all four moves; a disc that meets both in one tick
    // is complemented twice and keeps its step.
    for (size_t i = kDiscCount; i-- > 0;) {
        std::int16_t &passo = m_stato.PassoRimbalzo.at(i);
        if (altezzaPannello - altezze.at(i) <= alti.at(i))
            passo = complemento(passo);
    }
    // Only a disc going up turns at the top. A disc whose climb ended exactly
    // one down step past the top lands on it going down: turned there, it
    // would climb again, be turned again at every tick and leave the panel for
    // good. At the window's first size no disc ever meets that case.
    for (size_t i = kDiscCount; i-- > 0;) {
        std::int16_t &passo = m_stato.PassoRimbalzo.at(i);
        if (alti.at(i) <= 0 && passo < 0)
            passo = complemento(passo);
    }
}

int Esercizio::risultatiSbagliati() const
{
    int sbagliati = 0;
    for (size_t k = 0; k < kRayCount; ++k)
        if (valoreDi(m_stato.Risultati.at(k)) != m_stato.Somme.at(k))
            ++sbagliati;
    return sbagliati;
}

void Esercizio::scriviRisultato(int raggio, const QString &testo)
{
    QString &risultato = m_stato.Risultati.at(static_cast<size_t>(raggio));
    // Writing the text a result already holds changes nothing.
    if (risultato == testo)
        return;
    risultato = testo;
    if (testo != kAttesa)
        abilita(kAvanti, true);
    Q_EMIT raggioCambiato(raggio);
}

void Esercizio::abilita(int pulsante, bool abilitato)
{
    bool &stato = m_stato.Abilitati.at(static_cast<size_t>(pulsante));
    if (stato == abilitato)
        return;
    stato = abilitato;
    Q_EMIT pulsanteCambiato(pulsante);
}

} // namespace exercise
