#pragma once
// Program start-up: the application object, the fonts the windows are designed
// with, and the start window. The program ends when its last window unloads.

class QApplication;

namespace app {

// Makes "Arial" and "MS Sans Serif" resolve to a metric-compatible sans.
void installFontSubstitutions();

// Whether a display is reachable; when not, says how to run under xvfb-run.
bool haveDisplay();

int run(int argc, char *argv[]);

} // namespace app
