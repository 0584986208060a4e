# What the Windows tests share; sourced, not run. Runs Windows programs with
# Debian's Wine (64-bit programs only; its wine64 package has no wine command
# on the PATH, so it is called by its full name).

wine_loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
wine_server=$(command -v wineserver64 || command -v wineserver || echo /usr/lib/wine/wineserver64)

# Nothing of Wine's own noise; no offer to install Mono or Gecko; no desktop
# menu entries written on this machine for the shortcuts a program makes.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

wine() { "$wine_loader" "$@"; }
wine_server() { "$wine_server" "$@"; }

# Makes a fresh Wine prefix in $1 and points WINEPREFIX at it. The home folder
# is one of its own beside it, so that Wine links no folder of the real one.
# Needs DISPLAY.
new_prefix() {
    export WINEPREFIX=$1
    export HOME=$1.home
    local try
    # Now and then Wine's first boot of a prefix stops at "could not load
    # kernel32.dll"; a second boot, in a clean folder, makes it.
    for try in 1 2; do
        rm -rf "$1" "$HOME"
        mkdir -p "$HOME"
        timeout 300 "$wine_loader" wineboot --init >"$1.boot.log" 2>&1 && break
        timeout 60 "$wine_server" -k 2>/dev/null || true
        if [ "$try" -eq 2 ]; then
            cat "$1.boot.log" >&2
            echo "Wine could not make a prefix in $1" >&2
            return 1
        fi
        echo "Wine could not make a prefix in $1 ($(tail -n 1 "$1.boot.log")); trying again" >&2
    done
    # Wine has no Arial, which Windows has and the windows are drawn in:
    # Liberation Sans has its measures.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f \
        >/dev/null 2>&1
    # Wine places, sizes, maximises and activates the windows itself, as
    # Windows does, rather than leaving that to an X window manager (there is
    # none); otherwise it waits two seconds for one at every hidden window.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    timeout 120 "$wine_server" -w
}

# A Windows path of this machine's file $1, through Wine's drive Z:, which is /.
windows_path() {
    local path
    path=$(readlink -f "$1")
    printf 'Z:%s' "${path//\//\\}"
}
