#!/bin/sh
# Runs a Windows program of the build tree under Wine, in a prefix of the build tree's own.
# A test that shows windows sets KEYLUME_WINE_DISPLAY=1 and gets an X display from xvfb-run
# when none is present.
set -e
program="$1"
build_dir=$(cd "$(dirname "$program")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)
export WINEPREFIX="${KEYLUME_WINEPREFIX:-$build_dir/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # Several tests may start at once: one of them creates the prefix, the others wait for it.
    if mkdir "$WINEPREFIX.lock" 2>/dev/null; then
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        rmdir "$WINEPREFIX.lock"
    else
        while [ -d "$WINEPREFIX.lock" ]; do sleep 1; done
    fi
fi
# Windows ships Tahoma and Small Fonts; a fresh prefix has neither, and Wine would substitute a
# system font. The prefix gets the metric-compatible faces of the fonts-wine package, the same
# files the native platform layer draws with.
wine_fonts=/usr/share/wine/fonts
if [ ! -f "$wine_fonts/tahoma.ttf" ]; then
    echo "keylume: font package fonts-wine is not installed ($wine_fonts/tahoma.ttf missing)" >&2
    exit 1
fi
prefix_fonts="$WINEPREFIX/drive_c/windows/Fonts"
for font in smalle.fon sserife.fon tahoma.ttf tahomabd.ttf; do
    [ -e "$prefix_fonts/$font" ] || cp "$wine_fonts/$font" "$prefix_fonts/$font"
done
if [ -n "$KEYLUME_WINE_DISPLAY" ] && [ -z "$DISPLAY" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
fi
exec wine "$@"
