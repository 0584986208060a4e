// The opening curtains of the start window: at every resize both curtains
// close over the window, meeting in the middle, and the curtain timer then
// slides them open towards their edges.

#include <QTimer>

#include "layout/ControlBuilder.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"

namespace {

constexpr double kCurtainStep = 75;      // twips per tick, each curtain
constexpr double kCurtainOpenWidth = 10; // twips: the left curtain is open

double curtainWidth(const layout::Frame *curtain)
{
    return layout::geometryTwips(curtain).width();
}

// A docked curtain keeps its edge and the full inner height: only its width is set.
void setCurtainWidth(layout::Frame *curtain, double width)
{
    layout::moveControl(curtain, 0, 0, width, 0);
}

} // namespace

void FrmInizio::AvviaTendine()
{
    // Together the two halves of the outer width are wider than the inner
    // area, so the closed curtains overlap and cover it all.
    const double half = outerWidthTwips() / 2.0;
    setCurtainWidth(Picture1(), half);
    setCurtainWidth(Picture2(), half);
    timerTendine()->start();
}

void FrmInizio::timerTendine_Timer()
{
    // A step that would take the left curtain below zero closes the opening
    // at zero, so it always ends with the timer stopped.
    const double left = curtainWidth(Picture1()) - kCurtainStep;
    if (left < 0) {
        setCurtainWidth(Picture1(), 0);
        setCurtainWidth(Picture2(), 0);
    } else {
        setCurtainWidth(Picture1(), left);
        setCurtainWidth(Picture2(), std::max(0.0, curtainWidth(Picture2()) - kCurtainStep));
    }
    if (curtainWidth(Picture1()) <= kCurtainOpenWidth)
        timerTendine()->stop();
    if (!timerTendine()->isActive())
        if (auto *frame1 = control<QWidget>("frame1"))
            frame1->setEnabled(true);
}
