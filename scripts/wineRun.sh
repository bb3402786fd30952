#!/usr/bin/env bash
# Runs a Windows program under Wine as our tests expect: a private prefix in the
# build folder, no debug noise, and the Japanese locale so the ANSI code page is 932.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG=-all
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# Without a window manager (Xvfb) Wine must draw and manage the windows itself, or
# every closing window waits for a manager that never answers. Done once per prefix.
marker="$WINEPREFIX/.sondrix-x11-settings"
if [ ! -f "$marker" ]; then
  reg="$WINEPREFIX/sondrix-x11.reg"
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="N"\r\n' >"$reg"
  wine regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 && touch "$marker"
fi
# The caption buttons that Wine then draws come from this font.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi
exec wine "$@"
