#pragma once
// The opening curtains of the start window: at every resize both curtains
// close over the window, meeting in the middle, and the curtain timer then
// slides them open towards their edges. When they are open the window's
// content is enabled.

#include <QPointer>

class QTimer;
class QWidget;

namespace layout {
class Frame;
} // namespace layout

namespace start {

class Tendine
{
public:
    Tendine(layout::Frame *left, layout::Frame *right, QTimer *timer, QWidget *content);

    // Closes both curtains over a window `outerWidthTwips` wide and starts the timer.
    void Avvia(int outerWidthTwips);
    // One step of the timer.
    void Passo();

private:
    layout::Frame *m_left;
    layout::Frame *m_right;
    QTimer *m_timer;
    QPointer<QWidget> m_content;
};

} // namespace start
