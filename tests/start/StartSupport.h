#pragma once
// Opens the start window as the pupil finds it: shown, active, and with its
// curtains drawn back, ticked open here rather than waited for.

#include <QTest>
#include <QTimer>

#include "TestSupport.h"
#include "app/Windows.h"
#include "start/FrmInizio.h"

namespace testing {

constexpr int kMaxCurtainTicks = 1000;

inline FrmInizio *openStartWindow()
{
    app::Load<FrmInizio>();
    app::Show<FrmInizio>();
    FrmInizio *window = app::Loaded<FrmInizio>();
    if (!window || !QTest::qWaitForWindowActive(window))
        return nullptr;
    for (int tick = 0; window->timerTendine()->isActive() && tick < kMaxCurtainTicks; ++tick)
        window->timerTendine_Timer();
    return window->timerTendine()->isActive() ? nullptr : window;
}

// The centre the start window has handed to the exercise.
inline int chosenCentre()
{
    return app::Loaded<FrmInizio>()->esercizio().stato().NumeroCentrale;
}

} // namespace testing
