#pragma once
// What a screen reader hears of the program through the platform's
// accessibility bridge (AT-SPI on Linux). Every bank button is a push button
// named by its caption; the result boxes, addends and centre number of the
// exercise window, and the chosen sun of the start window, are read by their
// captions. Each also carries an Italian description of what it does or of its
// place in the sun and what it holds now, kept up to date as captions, colours
// and the check change. A press through the bridge confirms a bank button as a
// mouse press does. Focus and enabled state are the widgets' own.

#include <QString>

class QWidget;

namespace app {

// Registers the program's accessible interfaces. Call it once, after the
// application object exists and before any window is built: the toolkit
// settles a widget's interface when the widget is created.
void installAccessibility();

// The description read for a control, empty for a control that has none.
QString accessibleDescription(const QWidget *control);

} // namespace app
