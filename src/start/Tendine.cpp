#include "start/Tendine.h"

#include <QTimer>
#include <algorithm>

#include "layout/ControlBuilder.h"
#include "layout/Controls.h"

namespace start {

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

Tendine::Tendine(layout::Frame *left, layout::Frame *right, QTimer *timer, QWidget *content)
    : m_left(left), m_right(right), m_timer(timer), m_content(content)
{
}

void Tendine::Avvia(int outerWidthTwips)
{
    // Together the two halves of the outer width are wider than the inner
    // area, so the closed curtains overlap and cover it all.
    const double half = outerWidthTwips / 2.0;
    setCurtainWidth(m_left, half);
    setCurtainWidth(m_right, half);
    m_timer->start();
}

void Tendine::Passo()
{
    // A step that would take the left curtain below zero closes the opening
    // at zero, so it always ends with the timer stopped.
    const double left = curtainWidth(m_left) - kCurtainStep;
    if (left < 0) {
        setCurtainWidth(m_left, 0);
        setCurtainWidth(m_right, 0);
    } else {
        setCurtainWidth(m_left, left);
        setCurtainWidth(m_right, std::max(0.0, curtainWidth(m_right) - kCurtainStep));
    }
    if (curtainWidth(m_left) <= kCurtainOpenWidth)
        m_timer->stop();
    if (!m_timer->isActive() && m_content)
        m_content->setEnabled(true);
}

} // namespace start
