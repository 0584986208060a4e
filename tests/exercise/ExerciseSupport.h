#pragma once
// Opening the exercise window for a test and reading its keypad and rays.

#include <QTest>

#include "TestSupport.h"
#include "app/Windows.h"
#include "exercise/Esercizio.h"
#include "exercise/frmOperativo.h"
#include "exercise/frmOperativoDef.h"
#include "input/BankButton.h"
#include "layout/Controls.h"

namespace testing {

inline frmOperativo *openExercise(exercise::Esercizio &esercizio)
{
    app::Load<frmOperativo>(esercizio);
    app::Show<frmOperativo>();
    frmOperativo *window = app::Loaded<frmOperativo>();
    if (!window || !QTest::qWaitForWindowActive(window))
        return nullptr;
    return window;
}

// The keypad button that holds the window's focus, or -1.
inline int focusedKey(const frmOperativo *window)
{
    for (int i = 0; i < exercise::kKeypadCount; ++i)
        if (window->focusWidget() == window->Option1(i))
            return i;
    return -1;
}

inline QString result(const frmOperativo *window, int ray)
{
    return window->lblRisultato(ray)->caption();
}

inline QColor resultColour(const frmOperativo *window, int ray)
{
    return layout::backColour(window->lblRisultato(ray));
}

inline int expectedSum(const frmOperativo *window, int ray)
{
    return window->esercizio().stato().Somme.at(static_cast<size_t>(ray));
}

inline std::vector<int> digitsOf(int number)
{
    std::vector<int> digits;
    for (const QChar c : QString::number(number))
        digits.push_back(c.digitValue());
    return digits;
}

inline void typeDigit(const frmOperativo *window, int digit)
{
    key(window, static_cast<Qt::Key>(Qt::Key_0 + digit));
}

inline void typeNumber(const frmOperativo *window, int number)
{
    for (int digit : digitsOf(number))
        typeDigit(window, digit);
}

// The enabled keypad buttons, in index order.
inline QList<int> enabledKeys(const frmOperativo *window)
{
    QList<int> keys;
    for (int i = 0; i < exercise::kKeypadCount; ++i)
        if (window->Option1(i)->isEnabled())
            keys.append(i);
    return keys;
}

// Types every ray's right result into the model, over whatever the ray held,
// and moves on: the last step checks.
inline void answerAllRight(exercise::Esercizio &esercizio)
{
    for (int ray = 0; ray < exercise::kRayCount; ++ray) {
        while (esercizio.stato().Risultati.at(static_cast<size_t>(ray)) != QStringLiteral("?"))
            esercizio.CancellaCifra(false);
        for (const int digit : digitsOf(esercizio.stato().Somme.at(static_cast<size_t>(ray))))
            esercizio.InserisciCifra(digit);
        esercizio.Avanza();
    }
}

} // namespace testing
