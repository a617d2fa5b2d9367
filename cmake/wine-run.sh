#!/bin/sh
# Runs the Windows programs of a build tree under Wine: an x86_64 tree under 64-bit Wine in a
# win64 prefix, an i686 tree under Wine's 32-bit loader in the prefix it makes by default.
#   wine-run.sh --start BUILD_DIR   creates the tree's own Wine prefix and starts an X server for it
#   wine-run.sh --stop BUILD_DIR    stops the tree's Wine server and X server
#   wine-run.sh PROGRAM [ARGS...]   runs a program of the tree in that prefix, on that display
# One X server for the whole run matters: Wine makes its desktop with the display of the first
# program, so programs with and without windows must share it.
set -e

environment_of() {
    if grep -qs 'CMAKE_SYSTEM_PROCESSOR "x86_64"' "$1"/CMakeFiles/*/CMakeSystem.cmake; then
        export WINEARCH=win64
        wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
    else
        wine=wine
    fi
    export WINEPREFIX="${KEYLUME_WINEPREFIX:-$1/wineprefix}"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
    display_file="$1/wine-display"
}

# Ends the X server that an earlier --start of the tree started, if it still runs (and the
# process of that number is still an X server, not another that took the number since).
stop_xvfb() {
    if [ -f "$1/wine-xvfb.pid" ]; then
        pid=$(cat "$1/wine-xvfb.pid")
        if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then kill "$pid" 2>/dev/null || true; fi
    fi
    rm -f "$1/wine-xvfb.pid"
}

# A REG_MULTI_SZ value as a .reg file of version 5.00 writes it: the strings, each ended by a
# zero, then one more zero, in UTF-16LE, as comma-separated hex bytes. Such a file is itself in
# UTF-16LE (utf16_file); Wine reads the bytes of a file in another encoding as characters of it.
multi_string_hex() {
    { printf '%s\0' "$@"; printf '\0'; } | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' '  ' |
        sed 's/^ *//; s/ *$//; s/ /,/g'
}

# Standard input as a text file in UTF-16LE with its byte order mark, as .reg files of version
# 5.00 are.
utf16_file() {
    printf '\377\376'
    iconv -f UTF-8 -t UTF-16LE
}

case "$1" in
--start)
    environment_of "$2"
    stop_xvfb "$2"  # one left by an interrupted run would never be stopped
    rm -f "$display_file"
    if [ -z "$DISPLAY" ] && command -v Xvfb >/dev/null 2>&1; then
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$2/wine-display.new" >/dev/null 2>&1 &
        echo $! >"$2/wine-xvfb.pid"
        for _ in $(seq 50); do [ -s "$2/wine-display.new" ] && break; sleep 0.1; done
        [ -s "$2/wine-display.new" ] || { echo "wine-run: Xvfb did not start" >&2; exit 1; }
        mv "$2/wine-display.new" "$display_file"
        export DISPLAY=":$(cat "$display_file")"
    fi
    # A Wine server left from an earlier run would keep a desktop made without this display.
    wineserver -k >/dev/null 2>&1 || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        "$wine" wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Windows ships Tahoma and Small Fonts; a fresh prefix has neither, and Wine would substitute
    # a system font. The prefix gets fonts-wine's files of them: Tahoma is the file the native
    # platform layer draws with; Small Fonts is Windows' raster font smalle.fon, which has only
    # the characters of code page 1252 (the native layer draws fonts-wine's outline copy of it,
    # small_fonts.ttf, and answers for the characters as smalle.fon does). Characters Tahoma lacks
    # come from the faces the native layer links to it, registered in the same order as Tahoma's
    # FontLink\SystemLink entry, which Windows and Wine read for linked faces.
    wine_fonts=/usr/share/wine/fonts
    linked_fonts="/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf:fonts-dejavu-core
/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf:fonts-droid-fallback"
    if [ ! -f "$wine_fonts/tahoma.ttf" ]; then
        echo "keylume: font package fonts-wine is not installed ($wine_fonts/tahoma.ttf missing)" >&2
        exit 1
    fi
    prefix_fonts="$WINEPREFIX/drive_c/windows/Fonts"
    for font in smalle.fon sserife.fon tahoma.ttf tahomabd.ttf; do
        [ -e "$prefix_fonts/$font" ] || cp "$wine_fonts/$font" "$prefix_fonts/$font"
    done
    for entry in $linked_fonts; do
        font=${entry%:*}
        if [ ! -f "$font" ]; then
            echo "keylume: font package ${entry#*:} is not installed ($font missing)" >&2
            exit 1
        fi
        [ -e "$prefix_fonts/${font##*/}" ] || cp "$font" "$prefix_fonts/${font##*/}"
    done
    # A test program that ends through an unhandled exception (as the death tests' children do)
    # must end at once with the exception's code. Wine would start winedbg to print a backtrace
    # (and show a crash dialog), which takes seconds, and under i386 emulation longer than any
    # test may; it does so also when no debugger is set, so an empty one is set, which cannot
    # start. The tree's own Wine imports the settings, so they land in the registry view that the
    # tree's programs read; one import, since under i386 emulation every Wine program takes long
    # to start.
    {
        printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
            '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]' '"Debugger"=""' '' \
            '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]'
        printf '"Tahoma"=hex(7):%s\r\n' "$(multi_string_hex 'DejaVuSans.ttf,DejaVu Sans' 'DroidSansFallbackFull.ttf,Droid Sans Fallback')"
    } | utf16_file >"$WINEPREFIX/drive_c/keylume-settings.reg"
    if ! output=$("$wine" reg import 'C:\keylume-settings.reg' 2>&1); then
        echo "wine-run: Wine could not import the empty debugger setting and Tahoma's font links into $WINEPREFIX:" >&2
        echo "$output" | tr -d '\r' | tail -n 5 >&2
        exit 1
    fi
    wineserver -w
    exit 0
    ;;
--stop)
    environment_of "$2"
    wineserver -k >/dev/null 2>&1 || true
    stop_xvfb "$2"
    rm -f "$display_file"
    exit 0
    ;;
esac

program="$1"
build_dir=$(cd "$(dirname "$program")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    echo "wine-run: $program is not inside a build tree (no CMakeCache.txt in its folder or above)" >&2
    exit 1
fi
environment_of "$build_dir"
if [ -z "$DISPLAY" ] && [ -s "$display_file" ]; then export DISPLAY=":$(cat "$display_file")"; fi
exec "$wine" "$@"
