#pragma once
// The start window: the pupil picks the centre number of the sun, then starts
// the exercise ("Vai"), puts the focus back on the first centre ("Ripristina")
// or leaves ("Esci"). Its menu "Autore" opens the author window. It owns the
// run's exercise, which keeps the chosen centre: the start window is the
// first window loaded and the last one open, and every exercise window it
// opens works on that same exercise.

#include <QString>
#include <cstdint>
#include <memory>

#include "app/Form.h"
#include "exercise/Esercizio.h"

class QTimer;
class QAction;

namespace layout {
class Frame;
class Label;
} // namespace layout

namespace start {
class Tendine;
} // namespace start

namespace input {
class BankButton;
class ButtonBank;
} // namespace input

class FrmInizio : public app::Form
{
    Q_OBJECT
public:
    FrmInizio();
    ~FrmInizio() override;

    exercise::Esercizio &esercizio() { return m_esercizio; }

    // The captions of Label1 for the centres 0 to 10.
    static QString nomeSole(int centre);

    void ScegliCentro(std::int16_t n);
    void EseguiComando(std::int16_t n);
    void mnuInfo_Click();
    void VerificaEsistenzaFile(const QString &fileName) const;
    void ScaricaFinestre();
    void AvviaTendine();
    void timerTendine_Timer();

    input::BankButton *Option1(int index) const;
    input::BankButton *Option2(int index) const;
    input::ButtonBank *centreBank() const { return m_centres; }
    input::ButtonBank *commandBank() const { return m_commands; }
    layout::Label *Label1() const { return m_label1; }
    layout::Label *Label7() const { return m_label7; }
    layout::Frame *Picture1() const { return m_picture1; }
    layout::Frame *Picture2() const { return m_picture2; }
    QTimer *timerTendine() const { return m_timerTendine; }

    void Form_Load() override;
    void Form_Resize() override;
    void Form_Activate() override;
    void Form_Unload() override;

    QString accessibleDescription(const QWidget *control) const override;

private:
    exercise::Esercizio m_esercizio;
    std::unique_ptr<start::Tendine> m_tendine;
    input::ButtonBank *m_centres = nullptr;
    input::ButtonBank *m_commands = nullptr;
    layout::Label *m_label1 = nullptr;
    layout::Label *m_label7 = nullptr;
    layout::Frame *m_picture1 = nullptr;
    layout::Frame *m_picture2 = nullptr;
    QTimer *m_timerTendine = nullptr;
};
