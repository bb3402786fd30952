#!/usr/bin/env bash
# Runs a Windows program under Wine as our tests expect: a private prefix in the
# build folder, no debug noise, and the Japanese locale so the ANSI code page is 932.
# Wine takes the user interface language from LC_MESSAGES: SONDRIX_UI_LOCALE=en_US.UTF-8
# gives an English one with code page 932 still.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG=-all
export LANG=ja_JP.UTF-8
if [ -n "${SONDRIX_UI_LOCALE:-}" ]; then
  unset LC_ALL
  export LC_CTYPE=ja_JP.UTF-8  # LC_MESSAGES only for wine: this shell may lack that locale
else
  export LC_ALL=ja_JP.UTF-8
fi
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
exec env ${SONDRIX_UI_LOCALE:+LC_MESSAGES="$SONDRIX_UI_LOCALE"} wine "$@"
