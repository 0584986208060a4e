#!/usr/bin/env bash
# Runs one Qt Test program of the Windows build under Wine, for CTest, which
# calls it as the build's CMAKE_CROSSCOMPILING_EMULATOR: on Qt's Windows
# platform, in the Wine prefix, X display and DLL path that
# scripts/test-windows.sh sets up (WINEPREFIX, DISPLAY, WINEPATH).
#
# Qt Test's own output does not reach the terminal under Wine, so it goes to
# a file, <test>.wine.txt in the test's folder, which is then printed. The
# test passes when the program ends with status 0 and has printed its totals.
set -euo pipefail

program=${1:?usage: wine-test.sh TEST.exe [ARGS...]}
shift
: "${WINEPREFIX:?}" "${DISPLAY:?}" "${WINEPATH:?}"
source "$(dirname "$0")/wine.sh"

# Wine hands no QT_ variable of this machine to a Windows program but those
# named with WINE in front: so go the suite's own (QT_SCALE_FACTOR, ...),
# with Windows' platform in place of the offscreen one.
for name in $(compgen -e); do
    case $name in QT_*) export "WINE$name=${!name}" ;; esac
done
# Wine has no Arial, and its stand-in (see new_prefix) reaches only the GDI
# font database: Qt 6.4 uses it anyway, Qt 6.8 when asked (6.4 ignores the ask).
export WINEQT_QPA_PLATFORM=windows:fontengine=gdi

log=$(basename "$program" .exe).wine.txt
rm -f "$log"
# A test that hangs ends before CTest's limit, so that no Wine process
# outlives it.
status=0
timeout -k 10 240 "$wine_loader" "$program" -o "$log,txt" "$@" || status=$?
if [ -f "$log" ]; then
    tr -d '\r' <"$log"
else
    echo "$program wrote no output"
fi
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "FAIL: $program did not end within 240 seconds"
    exit 1
fi
grep -q '^Totals: ' "$log" 2>/dev/null || {
    echo "FAIL: $program ended with status $status before printing its totals"
    exit 1
}
exit "$status"
