#!/usr/bin/env bash
# Starts the program, or says in one line how to run it where there is no display.
set -euo pipefail
program=${1:?usage: run.sh PATH-TO-PINNUVO}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "pinnuvo: no display found (DISPLAY is not set); run it under a virtual screen with: xvfb-run -a $program" >&2
    exit 1
fi
exec "$program"
