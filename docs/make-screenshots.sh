#!/usr/bin/env bash
# Takes the README's screenshots from the real program: the start window, and
# the exercise window during entry, after a wrong answer and celebrating.
# The program runs on a virtual screen with a window manager, and is played
# from the keyboard; the sums to type are read from the program itself over
# the accessibility bus. Writes docs/*.png.
#
# Usage: docs/make-screenshots.sh [path/to/pinnuvo]   (default: build/src/pinnuvo)
# Needs: xvfb, xauth, openbox, xdotool, imagemagick, dbus, at-spi2-core,
#        python3-gi and gir1.2-atspi-2.0 (Debian package names).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
program="$(realpath "${1:-$here/../build/src/pinnuvo}")"
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb QT_FONT_DPI=96 LANG=C.UTF-8
exec xvfb-run -a -s "-screen 0 1280x1024x24" \
    dbus-run-session -- bash -c '
        openbox >/dev/null 2>&1 &
        wm=$!
        sleep 1
        /usr/bin/python3 "$1/screenshots.py" "$2" "$1"
        status=$?
        kill $wm
        exit $status' _ "$here" "$program"
