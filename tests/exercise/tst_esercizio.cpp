// The exercise's rules without a window: a sun drawn from the generator it is
// handed, what a ray's result holds after each key, and the bounce of a disc.

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

    void discsTurnAtTheEdgesOfTheirPanel_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("newTop");
        QTest::addColumn<int>("newStep");
        // A disc 600 twips high in a panel 1000 twips high.
        QTest::newRow("going down") << 100 << 30 << 130 << 30;
        QTest::newRow("reaches the bottom") << 380 << 30 << 410 << -31;
        QTest::newRow("reaches the top") << 20 << -31 << -11 << 30;
        QTest::newRow("lands on the top going down") << -30 << 30 << 0 << 30;
    }

    void discsTurnAtTheEdgesOfTheirPanel()
    {
        QFETCH(int, top);
        QFETCH(int, step);
        Esercizio esercizio(fixedSeed(1));
        esercizio.Carica();
        const std::array<int, exercise::kDiscCount> heights{600, 600, 600, 600};
        // Disc 0 starts down at 30; a tick past the bottom turns it up at -31.
        if (step < 0) {
            std::array<int, exercise::kDiscCount> past{1000, 0, 0, 0};
            esercizio.Rimbalza(past, heights, 1000);
        }
        QCOMPARE(int(esercizio.stato().PassoRimbalzo[0]), step);
        std::array<int, exercise::kDiscCount> tops{top, 0, 0, 0};
        esercizio.Rimbalza(tops, heights, 1000);
        QTEST(tops[0], "newTop");
        QTEST(int(esercizio.stato().PassoRimbalzo[0]), "newStep");
    }
};

QTEST_GUILESS_MAIN(EsercizioTest)
#include "tst_esercizio.moc"
