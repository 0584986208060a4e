#pragma once
// Program start-up: the application object, the fonts the windows are designed
// with, and the first window. The program ends when its last window unloads.

#include <functional>

class QApplication;

namespace app {

// Makes "Arial" and "MS Sans Serif" resolve to a metric-compatible sans.
void installFontSubstitutions();

// Whether a display is reachable; when not, says how to run under xvfb-run.
bool haveDisplay();

// Starts the toolkit, shows the first window and runs until the last window unloads.
int run(int argc, char *argv[], const std::function<void()> &showFirstWindow);

} // namespace app
