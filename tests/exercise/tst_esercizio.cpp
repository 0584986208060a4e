// The exercise's rules without a window: a sun drawn from the generator it is
// handed, what a ray's result holds after each key, and what the reader is
// told of wrong results. The window tests pin the rest through the keypad.

#include <QSignalSpy>
#include <QTest>

#include "exercise/Esercizio.h"

using exercise::Esercizio;

namespace {

Esercizio::Sorgente fixedSeed(unsigned seed)
{
    return [seed] { return std::mt19937(seed); };
}

} // namespace

class EsercizioTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aSeedDrawsTheSameSunAndTheCentreOfTheNextSun()
    {
        Esercizio first(fixedSeed(42));
        Esercizio second(fixedSeed(42));
        first.setNumeroCentrale(7);
        second.setNumeroCentrale(7);
        first.Carica();
        second.Carica();
        QCOMPARE(first.stato().Addendi, second.stato().Addendi);

        // WHEN the centre changes during a sun, the sun keeps its own
        first.setNumeroCentrale(3);
        QCOMPARE(first.centroDelSole(), 7);
        first.NuovoSole();
        QCOMPARE(first.centroDelSole(), 3);
        QCOMPARE(first.stato().Somme[0], first.stato().Addendi[0] + 3);
    }

    void keysWriteTheCurrentResult_data()
    {
        QTest::addColumn<QString>("keys"); // digits, C for "Cancella", B for BACKSPACE
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("avanti");
        QTest::newRow("four digits keep three") << "1234" << "123" << true;
        QTest::newRow("a first 0 is refused") << "0" << "?" << true;
        QTest::newRow("Cancella back to ?") << "1C" << "?" << false;
        QTest::newRow("BACKSPACE back to ?") << "1B" << "?" << true;
        QTest::newRow("Cancella on ?") << "C" << "?" << false;
        QTest::newRow("Cancella one of two") << "12C" << "1" << true;
    }

    void keysWriteTheCurrentResult()
    {
        QFETCH(QString, keys);
        Esercizio esercizio(fixedSeed(1));
        esercizio.Carica();
        QSignalSpy changed(&esercizio, &Esercizio::raggioCambiato);
        for (const QChar key : keys) {
            if (key == u'C' || key == u'B')
                esercizio.CancellaCifra(key == u'C');
            else
                esercizio.InserisciCifra(key.digitValue());
        }
        QTEST(esercizio.stato().Risultati[0], "result");
        QTEST(esercizio.stato().Abilitati[exercise::kAvanti], "avanti");
        QVERIFY(!changed.isEmpty());
        QVERIFY(std::all_of(changed.cbegin(), changed.cend(),
                            [](const QList<QVariant> &args) { return args.at(0).toInt() == 0; }));
    }

    void wrongResultsAreCountedForTheReader()
    {
        Esercizio esercizio(fixedSeed(5));
        esercizio.Carica();
        for (int ray = 0; ray < exercise::kRayCount; ++ray) {
            // rays 2 and 6 wrong
            const int sum = esercizio.stato().Somme.at(size_t(ray)) + (ray == 2 || ray == 6);
            for (const QChar digit : QString::number(sum))
                esercizio.InserisciCifra(digit.digitValue());
            esercizio.Avanza();
        }
        QCOMPARE(esercizio.stato().RaggioCorrente, 2);
        QCOMPARE(esercizio.stato().Verdetti[2], exercise::Verdetto::Errato);
        QCOMPARE(esercizio.risultatiSbagliati(), 2);
    }
};

QTEST_GUILESS_MAIN(EsercizioTest)
#include "tst_esercizio.moc"
