#!/usr/bin/env bash
# Smoke test of what a school gets for Windows, under Wine, in the fresh Wine
# prefix (WINEPREFIX) and on the X display (DISPLAY) that
# scripts/test-windows.sh sets up:
#   1. The portable program, unzipped into a folder of its own, starts with
#      nothing installed and no DLL path of ours. By keys alone, 7 ENTER ENTER
#      opens the exercise; a whole sun is then answered by trying results and
#      reading only the colours of the result boxes (a wrong one is orange,
#      and a completed sun blinks yellow); the program then ends with status 0
#      having written nothing into the prefix: no file, no registry value.
#   2. The installer, run silently, installs the same files for all users,
#      with a Start menu shortcut and an entry in the list of programs; the
#      uninstaller, run silently, leaves nothing of them behind.
# Every wait is bounded.
set -euo pipefail

zip=$(readlink -f "${1:?usage: smoke.sh ZIP SETUP}")
setup=$(readlink -f "${2:?usage: smoke.sh ZIP SETUP}")
: "${WINEPREFIX:?a fresh Wine prefix}" "${DISPLAY:?an X display}"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../xserver.sh"
source "$here/wine.sh"
source "$here/../sun.sh"
open_session

fail() {
    echo "FAIL: $*" >&2
    [ -s "$work/program.log" ] && sed 's/^/    /' "$work/program.log" >&2
    exit 1
}

# --- What the program could leave behind -----------------------------------

# The names of the prefix's files and the Software keys of the user and of
# the machine, in $work/$1.*. Wine's own keys under Software\Wine (its cache
# of fonts among them) are its bookkeeping, not the program's.
snapshot() {
    (cd "$WINEPREFIX/drive_c" && find . | sort) >"$work/$1.files"
    local hive
    for hive in HKCU HKLM; do
        wine reg export "$hive\\Software" "$(windows_path "$work")\\$1.$hive.reg" /y >/dev/null 2>&1 ||
            fail "could not export $hive\\Software"
        iconv -f UTF-16LE -t UTF-8 "$work/$1.$hive.reg" | tr -d '\r' |
            awk '/^\[/ { wine = ($0 ~ /^\[HKEY_[A-Z_]+\\Software\\Wine(\\|\])/) } !wine' \
            >"$work/$1.$hive.txt"
    done
}

# Fails when the prefix differs between snapshots $1 and $2, but for the
# files that match the extended regular expression $3, if given.
unchanged() {
    local what
    for what in files HKCU.txt HKLM.txt; do
        diff "$work/$1.$what" "$work/$2.$what" | grep -E '^[<>]' |
            { if [ -n "${3:-}" ]; then grep -Ev "^. ${3}"; else cat; fi; } >"$work/changes" || true
        [ ! -s "$work/changes" ] || fail "the prefix changed ($what): $(head -n 20 "$work/changes")"
    done
}

# --- 1. The portable program -----------------------------------------------

mkdir "$work/stick"
(cd "$work/stick" && unzip -q "$zip")
folder=$work/stick/Pinnuvo
[ -f "$folder/Pinnuvo.exe" ] || fail "the zip holds no Pinnuvo/Pinnuvo.exe"
snapshot before

# Started as a double click starts it, in its own folder.
(cd "$folder" && exec "$wine_loader" Pinnuvo.exe) >"$work/program.log" 2>&1 &
program_pid=$!
start=$(timeout 60 xdotool search --sync --onlyvisible --name '^Dorvala$' | head -n 1) ||
    fail "the start window, Dorvala, did not appear"
echo "ok: the portable program started from the unzipped folder"

open_sun_of_7 "$start" || fail "7 ENTER ENTER did not open the exercise window"
echo "ok: 7 ENTER ENTER opened the exercise window"

results=$(work_sun "$program_pid") || fail "no whole sun"
echo "ok: a whole sun answered by keys, in $results results (the completed sun blinks)"

# The close box of each window (Wine's taskkill sends them WM_CLOSE).
wine taskkill /im Pinnuvo.exe >/dev/null 2>&1 || fail "could not close the program's windows"
program_ends 20 || fail "the program did not end when its windows were closed"
[ "$program_status" -eq 0 ] || fail "the program ended with status $program_status"
echo "ok: closing its windows ended the program with status 0"

snapshot after
unchanged before after
echo "ok: the program wrote no file and no registry value in the prefix"

# --- 2. The installer -------------------------------------------------------

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pinnuvo'
installed=$WINEPREFIX/drive_c/Program\ Files/Pinnuvo
shortcut=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Pinnuvo.lnk
snapshot uninstalled

timeout 120 "$wine_loader" "$setup" /S >"$work/setup.log" 2>&1 || fail "the installer failed: $(cat "$work/setup.log")"
(cd "$folder" && find . -type f) | while read -r file; do
    cmp -s "$folder/$file" "$installed/$file" || fail "the installer did not install $file"
done
[ -f "$installed/Disinstalla.exe" ] || fail "no uninstaller in $installed"
[ -f "$shortcut" ] || fail "no Pinnuvo shortcut in the Start menu of all users"
grep -aq 'Pinnuvo.exe' "$shortcut" || fail "the Start menu shortcut does not start Pinnuvo.exe"
wine reg query "$key" 2>/dev/null | tr -d '\r' >"$work/key.txt" || fail "no $key"
for value in 'DisplayName REG_SZ Pinnuvo' 'Publisher REG_SZ Talvero' 'DisplayVersion REG_SZ 1.0' \
    'NoModify REG_DWORD 0x1' 'NoRepair REG_DWORD 0x1' \
    'UninstallString REG_SZ "C:\Program Files\Pinnuvo\Disinstalla.exe"' \
    'QuietUninstallString REG_SZ "C:\Program Files\Pinnuvo\Disinstalla.exe" /S' \
    'DisplayIcon REG_SZ "C:\Program Files\Pinnuvo\Pinnuvo.exe",0'; do
    awk '{ $1 = $1; print }' "$work/key.txt" | grep -qxF "$value" ||
        fail "$key lacks $value: $(cat "$work/key.txt")"
done
grep -q 'EstimatedSize' "$work/key.txt" || fail "$key has no EstimatedSize"
echo "ok: the installer put the program, its shortcut and its uninstall entry in place"

# The uninstaller copies itself to the temporary folder, starts that copy and
# returns at once; the copy is done when Wine has no process left.
timeout 60 "$wine_loader" "$installed/Disinstalla.exe" /S >/dev/null 2>&1 ||
    fail "the uninstaller failed"
timeout 120 "$wine_server" -w || fail "the uninstaller did not end"
# Nothing is left, files or registry values, but the uninstaller's own copy
# in the temporary folder, which Windows deletes at the next start.
snapshot removed
unchanged uninstalled removed '\./users/[^/]+/(AppData/Local/)?Temp/~nsu[^/]*\.tmp(/Un\.exe)?$'
echo "ok: the uninstaller took away the program, its shortcut and its uninstall entry"
