#pragma once
// What a screen reader hears of the program through the platform's
// accessibility bridge (AT-SPI on Linux). Every bank button is a push button
// named by its caption, and every label is read by its caption. Each control
// may also carry a description, which its window writes (Form's
// accessibleDescription) and keeps up to date. Notices of changed names go
// out only for names that changed on a window already shown. A press through
// the bridge confirms a bank button as a mouse press does. Focus and enabled
// state are the widgets' own.

#include <QString>

class QWidget;

namespace app {

class Form;

// Registers the program's accessible interfaces. Call it once, after the
// application object exists and before any window is built: the toolkit
// settles a widget's interface when the widget is created.
void installAccessibility();

// The description read for a control, empty for a control that has none.
QString accessibleDescription(const QWidget *control);

// Tells a listening screen reader, once the step under way has finished,
// which of the window's descriptions changed that it would read now: those of
// its labels, and that of the button with the focus, which takes the focus
// again as a new object so that every reader hears it. Any other control's
// changed description is sent when it takes the focus, just before the focus
// event, which is itself held until the step has finished.
void descriptionsChanged(const Form &window);

} // namespace app
