#pragma once
// Turns a window definition into widgets: every control of the table, in its
// container, at its place, with its caption, font, colours and initial state.

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <functional>
#include <vector>

#include "layout/ControlDef.h"

class QMainWindow;
class QWidget;

namespace layout {

// One control of a window's collection: its definition and what was built from it.
struct Control
{
    const ControlDef *def = nullptr;
    QPointer<QObject> object;
    QWidget *widget() const;
};

class FlatButton;
// Makes the button that stands for a graphical option button; the layer that
// gives option buttons their behaviour supplies it.
using OptionButtonFactory = std::function<FlatButton *(QWidget *parent)>;

// Builds the controls of `window` into `client`, the window's inner area, and
// returns them in the order of the definition's table.
std::vector<Control> buildControls(const WindowDef &window, QMainWindow *mainWindow,
                                   QWidget *client, const OptionButtonFactory &makeOptionButton);

// The object name a control gets: its design name, and "_i" for member i of an array.
QString objectNameFor(std::string_view name, int index);

// Moves and sizes a control in twips, measured from its container. A picture
// box docked to a side edge keeps spanning the window's inner height at that edge.
void moveControl(QWidget *widget, double left, double top, double width, double height);
// A control's place and size in twips: exactly what moveControl last gave it,
// or its pixels in twips if it has been moved otherwise since.
QRectF geometryTwips(const QWidget *widget);

QFont fontFor(const Font &font);

} // namespace layout
