#include "exercise/Descrizioni.h"

#include <array>

#include "exercise/Esercizio.h"

namespace exercise {

namespace {

constexpr int kCentri = 11;

constexpr std::array<const char *, kCentri> kNomiSole{
    "Sole dello 0", "Sole dell' 1", "Sole del 2",   "Sole del 3", "Sole del 4", "Sole del 5",
    "Sole del 6",   "Sole del 7",   "Sole dell' 8", "Sole del 9", "Sole del 10"};

// Where each ray of the sun stands, clockwise from the top.
constexpr std::array<const char16_t *, kRayCount> kPosizioni{
    u"in alto",  u"in alto a destra",    u"a destra",   u"in basso a destra",
    u"in basso", u"in basso a sinistra", u"a sinistra", u"in alto a sinistra"};

const QString kAttesa = QStringLiteral("?");

// "7 più 3", or nothing while the sun is not drawn.
QString somma(const Stato &stato, int raggio)
{
    const int addendo = stato.Addendi.at(static_cast<size_t>(raggio));
    if (addendo == 0)
        return {};
    return QStringLiteral("%1 più %2").arg(stato.Somme.at(static_cast<size_t>(raggio)) - addendo).arg(addendo);
}

// "raggio 3, a destra: 7 più 2".
QString raggioESomma(const Stato &stato, int raggio)
{
    QString text = QStringLiteral("raggio %1, %2")
                       .arg(raggio + 1)
                       .arg(QString::fromUtf16(kPosizioni.at(static_cast<size_t>(raggio))));
    const QString sum = somma(stato, raggio);
    if (!sum.isEmpty())
        text += QStringLiteral(": ") + sum;
    return text;
}

QString descrizioneRisultato(const Stato &stato, int raggio)
{
    const auto at = static_cast<size_t>(raggio);
    QString text = QStringLiteral("Risultato del ") + raggioESomma(stato, raggio);
    if (!somma(stato, raggio).isEmpty())
        text += QStringLiteral(" uguale");
    text += QStringLiteral(". ");
    const QString &risultato = stato.Risultati.at(at);
    if (risultato.isEmpty())
        text += QStringLiteral("Raggio non ancora raggiunto.");
    else if (risultato == kAttesa)
        text += QStringLiteral("Da scrivere.");
    else
        text += QStringLiteral("Scritto %1.").arg(risultato);
    if (stato.Lampeggio)
        text += QStringLiteral(" Giusto: il sole è completo.");
    else if (stato.Verdetti.at(at) == Verdetto::Esatto)
        text += QStringLiteral(" Giusto.");
    else if (stato.Verdetti.at(at) == Verdetto::Errato)
        text += QStringLiteral(" Sbagliato: da correggere.");
    return text;
}

// Where the pupil stands, read on the digit buttons: the ray being answered
// and what it holds, or what the last check found to correct.
QString passoInCorso(const Esercizio &esercizio)
{
    const Stato &stato = esercizio.stato();
    const int raggio = esercizio.raggioInCorso();
    if (raggio < 0)
        return {};
    const QString sum = somma(stato, raggio);
    const QString &risultato = stato.Risultati.at(static_cast<size_t>(raggio));
    if (stato.VerificaAvviata && stato.Verdetti.at(static_cast<size_t>(raggio)) == Verdetto::Errato &&
        risultato == kAttesa) {
        const int sbagliati = esercizio.risultatiSbagliati();
        return QStringLiteral("%1 %2 da correggere: raggio %3, %4")
            .arg(sbagliati)
            .arg(sbagliati == 1 ? QStringLiteral("risultato") : QStringLiteral("risultati"))
            .arg(raggio + 1)
            .arg(sum);
    }
    return QStringLiteral("raggio %1 di %2: %3 uguale %4")
        .arg(raggio + 1)
        .arg(kRayCount)
        .arg(sum, risultato);
}

QString descrizioneTasto(const Esercizio &esercizio, int indice)
{
    const Stato &stato = esercizio.stato();
    switch (indice) {
    case kCancella:
        return QStringLiteral("Cancella l'ultima cifra del risultato");
    case kAvanti: {
        // On the eighth ray, and whenever a check has been made, "Avanti"
        // checks the results instead of opening another ray.
        const int raggio = esercizio.raggioInCorso();
        const QString purpose =
            stato.VerificaAvviata || raggio == kRayCount - 1
                ? QStringLiteral("Conferma il risultato e controlla tutti i risultati")
                : QStringLiteral("Conferma il risultato e passa al raggio successivo");
        const QString typed = raggio < 0 ? QString() : stato.Risultati.at(static_cast<size_t>(raggio));
        if (!stato.Abilitati.at(kAvanti) || typed.isEmpty() || typed == kAttesa)
            return purpose;
        return QStringLiteral("Scritto %1. %2").arg(typed, purpose);
    }
    case kNuovoSole:
        if (esercizio.festa())
            return QStringLiteral("Sole completo: tutti e otto i risultati sono giusti. "
                                  "Comincia un nuovo sole con lo stesso centro");
        return QStringLiteral("Comincia un nuovo sole con lo stesso centro");
    case kEsco:
        return QStringLiteral("Chiude l'esercizio e torna alla finestra iniziale");
    default:
        break;
    }
    const QString purpose = QStringLiteral("Scrive la cifra %1 nel risultato").arg(indice);
    const QString step = passoInCorso(esercizio);
    return step.isEmpty() ? purpose : step + QStringLiteral(". ") + purpose;
}

} // namespace

QString nomeSole(int centro)
{
    if (centro < 0 || centro >= kCentri)
        return {};
    return QString::fromUtf8(kNomiSole.at(static_cast<size_t>(centro)));
}

QString nomeFinestra(const Esercizio &esercizio)
{
    return QStringLiteral("Esercizio: ") + nomeSole(esercizio.centroDelSole()).toLower();
}

QString descrizione(const Esercizio &esercizio, std::string_view controllo, int indice)
{
    const Stato &stato = esercizio.stato();
    const bool isRay = indice >= 0 && indice < kRayCount;
    if (controllo == "Option1" && indice >= 0 && indice < kKeypadCount)
        return descrizioneTasto(esercizio, indice);
    if (controllo == "Label1")
        return QStringLiteral("Il numero al centro del sole, da sommare a ogni addendo");
    if (controllo == "Label2" && isRay)
        return QStringLiteral("Addendo del ") + raggioESomma(stato, indice);
    if (controllo == "lblRisultato" && isRay)
        return descrizioneRisultato(stato, indice);
    return {};
}

} // namespace exercise
