#!/usr/bin/env bash
# Takes docs/sondrix.png: the real program under Wine and Xvfb, with the sample music as
# the source (drive D:), an empty "stick" as the destination (drive E:), the playlist
# filled in and one recursive sorted copy run.
#   scripts/screenshot.sh BUILD_DIR   (holding bin/sondrix.exe, sondrix-cli.exe, sondrix-e2e.exe)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build/windows}/bin" && pwd)
export WINEPREFIX="$root/build/shot-prefix"
shot="$root/build/shot"
rm -rf "$shot"
mkdir -p "$shot/stick"
cp -r "$root/samples/music" "$root/samples/playlist.wpl" "$shot/"

# A prefix of its own: two drive letters for short paths, and the dialog's font mapped to
# the proportional IPA font, as it would be on a Japanese Windows.
"$root/scripts/wineRun.sh" cmd /c exit >/dev/null 2>&1 || true
ln -sfn "$shot" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$shot/stick" "$WINEPREFIX/dosdevices/e:"
reg="$shot/fonts.reg"
printf '\xff\xfe' >"$reg"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n' |
  iconv -f UTF-8 -t UTF-16LE >>"$reg"
"$root/scripts/wineRun.sh" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1

marker="$shot/pose.txt"
export SONDRIX_POSE_MARKER="Z:${marker//\//\\}"
export SONDRIX_POSE_SOURCE='D:\music' SONDRIX_POSE_DEST='E:\' SONDRIX_POSE_LIST='D:\playlist.wpl'
export root bin marker
timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$root/scripts/wineRun.sh" "$bin/sondrix-e2e.exe" "$bin/sondrix.exe" "$bin/sondrix-cli.exe" \
    --gtest_also_run_disabled_tests --gtest_filter=SondrixScreenshot.DISABLED_Pose &
  pose=$!
  for _ in $(seq 600); do [ -s "$marker" ] && break; sleep 0.1; done
  sleep 0.5  # let the last log line paint
  import -window root "$root/build/shot/screen.png"
  geometry=$(cat "$marker")
  rm -f "$marker"
  wait $pose
  convert "$root/build/shot/screen.png" -crop "$geometry" +repage "$root/docs/sondrix.png"
'
echo "docs/sondrix.png written"
