#pragma once
// The exercise window: one sun at a time for the centre chosen on the start
// window, answered ray by ray from the keypad, checked all at once after the
// eighth ray and celebrated by a blink and the bounce of four lettered discs.
// The keypad is a button bank: keys, mouse presses and two-key scanning. The
// rules are the exercise's own (Esercizio.h): the window draws its state,
// runs its two timers and moves the focus where the pupil's next step is.

#include <array>
#include <cstdint>

#include "app/Form.h"
#include "exercise/Esercizio.h"

class QAction;
class QTimer;

namespace layout {
class Frame;
class Label;
} // namespace layout

namespace input {
class BankButton;
class ButtonBank;
} // namespace input

class frmOperativo : public app::Form
{
    Q_OBJECT
public:
    explicit frmOperativo(exercise::Esercizio &esercizio);

    exercise::Esercizio &esercizio() const { return m_esercizio; }

    void AttivaPulsante(std::int16_t i);
    void BloccaTastierino();
    void mnuIstruzioni_Click();
    void Timer2_Timer();
    void Timer3_Timer();

    input::BankButton *Option1(int index) const;
    input::ButtonBank *keypad() const { return m_keypad; }
    layout::Label *Label1() const { return m_label1; }
    layout::Label *Label2(int i) const { return m_label2.at(static_cast<size_t>(i)); }
    layout::Label *lblSegno(int i) const { return m_lblSegno.at(static_cast<size_t>(i)); }
    layout::Label *lblUguale(int i) const { return m_lblUguale.at(static_cast<size_t>(i)); }
    layout::Label *lblRisultato(int i) const { return m_lblRisultato.at(static_cast<size_t>(i)); }
    layout::Frame *frame1() const { return m_frame1; }
    layout::Frame *Picture11() const { return m_picture11; }
    layout::Frame *Frame2(int i) const { return m_frame2.at(static_cast<size_t>(i)).widget; }
    QTimer *Timer2() const { return m_timer2; }
    QTimer *Timer3() const { return m_timer3; }
    QAction *mnuIstruzioni() const { return m_mnuIstruzioni; }

    // The lettered frames move in whole twips: their tops are kept here rather
    // than read back from the widgets, which round them to pixels.
    int Frame2Top(int i) const { return m_frame2.at(static_cast<size_t>(i)).top; }
    int Frame2Height(int i) const { return m_frame2.at(static_cast<size_t>(i)).height; }
    int Picture11Height() const { return m_picture11Height; }

    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload() override;

    QString accessibleDescription(const QWidget *control) const override;

private:
    struct MovingFrame
    {
        layout::Frame *widget = nullptr;
        int collectionIndex = -1;
        int left = 0; // twips within Picture11
        int top = 0;
        int width = 0;
        int height = 0;
    };

    void digitKey(int digit);
    void focusIfEnabled(int index);
    void drawRay(int ray);
    void drawSun();
    void drawKey(int index);
    void drawBlink();
    void celebrate(bool running);
    void placeFrame2(const MovingFrame &frame);
    void syncBounceGeometry();

    exercise::Esercizio &m_esercizio;
    input::ButtonBank *m_keypad = nullptr;
    layout::Label *m_label1 = nullptr;
    std::array<layout::Label *, 8> m_label2{};
    std::array<layout::Label *, 8> m_lblSegno{};
    std::array<layout::Label *, 8> m_lblUguale{};
    std::array<layout::Label *, 8> m_lblRisultato{};
    layout::Frame *m_frame1 = nullptr;
    layout::Frame *m_picture11 = nullptr;
    std::array<MovingFrame, 4> m_frame2{};
    int m_picture11Index = -1;
    int m_picture11Height = 0;
    QTimer *m_timer2 = nullptr;
    QTimer *m_timer3 = nullptr;
    QAction *m_mnuIstruzioni = nullptr;
};
