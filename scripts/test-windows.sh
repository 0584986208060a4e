#!/usr/bin/env bash
# Tests the Windows build on this Debian machine, under Debian's Wine on an
# Xvfb display of its own:
#   1. the Qt Test suites, cross-compiled in build-windows-tests/ and run by
#      CTest through tests/windows/wine-test.sh on Qt's Windows platform;
#   2. the real artefacts of scripts/windows.sh (run first, so the first run
#      also builds Qt for Windows): the portable program and the installer,
#      by tests/windows/smoke.sh;
#   3. what a screen reader is told through UI Automation while the portable
#      program works three suns, by tests/windows/uia-sun.sh and the client
#      it runs beside the program (tests/windows/uia-client.cpp).
# Each part runs in a fresh Wine prefix in a scratch folder, which goes when
# the script ends. Ends with one line saying how it went. Runs on Debian 13,
# in the Debian 13 tree when this machine runs another release
# (scripts/windows-release.sh).
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
source "$source_dir/scripts/windows-release.sh"
on_windows_release scripts/test-windows.sh
build=$source_dir/build-windows-tests

# The artefacts, and with them Qt for Windows; their paths are the last two lines.
mkdir -p "$source_dir/build-windows"
"$source_dir/scripts/windows.sh" | tee "$source_dir/build-windows/artefacts.txt"
mapfile -t artefacts < <(tail -n 2 "$source_dir/build-windows/artefacts.txt")
qt=$(tail -n 1 "$source_dir/build-windows/qt-prefix.txt")

# Wine (64-bit), Xvfb for its windows, xdotool to type into them, ImageMagick
# to read their colours, unzip for the portable program.
"$source_dir/scripts/install-deps.sh" wine64 xvfb xdotool imagemagick unzip

# The suites that run on Windows are those CTest runs through the emulator,
# that is the Qt Test programs, but for these, which use POSIX calls:
#   tst_settingsprobe  named pipes (mkfifo) and file modes
#   tst_soak           SIGBUS and sysconf
#   tst_leaks          /proc/self/statm and sysconf
# The other tests drive the Linux desktop (Xvfb, AT-SPI, the Debian package).
# A suite that fails for a reason of Wine's, not the program's, would be left
# out here too, with its reason; none does.
posix_only=(tst_settingsprobe tst_soak tst_leaks)

echo "Building the Qt Test suites for Windows in $build"
mkdir -p "$build"
configure_windows_build "$build" "$qt" -DBUILD_TESTING=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$source_dir/tests/windows/wine-test.sh"
mapfile -t suites < <(cd "$build" && ctest --show-only=json-v1 | python3 -c '
import json, sys
emulator, skipped = sys.argv[1], set(sys.argv[2:])
for test in json.load(sys.stdin)["tests"]:
    if test.get("command", [""])[0] == emulator and test["name"] not in skipped:
        print(test["name"])
' "$source_dir/tests/windows/wine-test.sh" "${posix_only[@]}")
[ ${#suites[@]} -gt 0 ] || { echo "No Qt Test suite found in $build" >&2; exit 1; }
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target "${suites[@]}" uia-client

source "$source_dir/tests/xserver.sh"
source "$source_dir/tests/windows/wine.sh"
open_session
cleanup() {
    for prefix in "$work"/*.prefix; do
        [ ! -d "$prefix" ] || WINEPREFIX=$prefix wine_server -k 2>/dev/null || true
    done
    end_session
}
trap cleanup EXIT
# A screen large enough for the windows at twice their size and at twice
# the scale.
start_xvfb "$work" 2560x1600x24

# Qt's DLLs and the compiler's runtime, where Wine finds them for the suites.
runtime_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
winpthread_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
WINEPATH="$(windows_path "$qt/bin");$(windows_path "$runtime_dir");$(windows_path "$winpthread_dir")"
export WINEPATH

echo "Running ${#suites[@]} Qt Test suites under Wine on $DISPLAY"
new_prefix "$work/suites.prefix"
# One at a time: the suites share the screen and the keyboard focus.
suites_status=0
(cd "$build" && ctest --output-on-failure -j 1 -R "^($(IFS='|'; echo "${suites[*]}"))\$") ||
    suites_status=$?
wine_server -k 2>/dev/null || true
unset WINEPATH

echo "Smoke test of the portable program and the installer"
smoke_status=0
new_prefix "$work/smoke.prefix"
"$source_dir/tests/windows/smoke.sh" "${artefacts[@]}" || smoke_status=$?

echo "What a screen reader is told through UI Automation while three suns are worked by keys"
# Under Wine 10, UI Automation now and then freezes, the client's calls
# getting no answer (status 3): the check then runs again in a fresh prefix,
# three times at most. Any other failure counts at once.
for attempt in 1 2 3; do
    reader_status=0
    new_prefix "$work/reader$attempt.prefix"
    "$source_dir/tests/windows/uia-sun.sh" "${artefacts[0]}" "$build/tests/windows/uia-client.exe" ||
        reader_status=$?
    [ "$reader_status" -eq 3 ] || break
    echo "UI Automation froze under Wine in attempt $attempt of 3"
done

if [ "$suites_status" -eq 0 ] && [ "$smoke_status" -eq 0 ] && [ "$reader_status" -eq 0 ]; then
    echo "Windows: all ${#suites[@]} Qt Test suites, the smoke test of the zip and the installer," \
        "and the UI Automation check of three suns passed under Wine."
    exit 0
fi
failed=()
[ "$suites_status" -eq 0 ] || failed+=("the Qt Test suites (CTest's list above)")
[ "$smoke_status" -eq 0 ] || failed+=("the smoke test (its FAIL line above)")
[ "$reader_status" -eq 0 ] || failed+=("the UI Automation check (its FAIL lines above)")
echo "Windows: failed under Wine: $(IFS=,; echo "${failed[*]}" | sed 's/,/ and /g')." >&2
exit 1
