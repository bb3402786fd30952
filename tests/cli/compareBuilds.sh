#!/usr/bin/env bash
# Runs the same jobs with the native sondrix-cli and with sondrix-cli.exe under Wine,
# each in its own fresh folder laid out alike, and compares status and log byte for
# byte (the Windows log is code page 932, the native one UTF-8).
# Usage: compareBuilds.sh NATIVE-CLI WINDOWS-CLI
set -u
native=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
windows=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
here=$(cd "$(dirname "$0")" && pwd)
wine="$here/../../scripts/wineRun.sh"
samples="$here/../../samples"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

for side in native windows; do
  mkdir -p "$work/$side/out"
  cp -r "$samples/music" "$work/$side/ソース"
  cp -r "$samples/music" "$work/$side/music"
  cp "$samples"/*.wpl "$samples"/*.m3u8 "$work/$side/"
  mkdir "$work/$side/lists"
  iconv -f UTF-8 -t CP932 "$samples/playlist.m3u8" > "$work/$side/lists/sjis.m3u"
  mkdir "$work/$side/listed" "$work/$side/natural"
done

compare() {  # arguments of one job
  (cd "$work/native" && "$native" "$@" > log.txt 2>/dev/null; echo $? > status.txt)
  (cd "$work/windows" && "$wine" "$windows" "$@" > raw.txt 2>/dev/null; echo $? > status.txt
   iconv -f CP932 -t UTF-8 raw.txt > log.txt)
  if cmp -s "$work/native/log.txt" "$work/windows/log.txt" &&
     cmp -s "$work/native/status.txt" "$work/windows/status.txt" &&
     [ -s "$work/native/log.txt" ] && ! grep -q $'\r' "$work/windows/raw.txt"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: sondrix-cli $* differs between the builds"
    diff "$work/native/log.txt" "$work/windows/log.txt" | head -20
    echo "status: native $(cat "$work/native/status.txt"), windows $(cat "$work/windows/status.txt")"
  fi
}

# Refused operands: status 2, nothing on standard output, one line on standard error
# naming the path, nothing written.
refused() {  # path named, arguments of one job
  local named=$1
  shift
  (cd "$work/native" && "$native" "$@" > log.txt 2> err.txt; echo $? > status.txt)
  (cd "$work/windows" && "$wine" "$windows" "$@" > log.txt 2> raw.txt; echo $? > status.txt
   iconv -f CP932 -t UTF-8 raw.txt > err.txt)
  local side ok=1
  for side in native windows; do
    [ "$(cat "$work/$side/status.txt")" = 2 ] && [ ! -s "$work/$side/log.txt" ] &&
      [ "$(wc -l < "$work/$side/err.txt")" = 1 ] && grep -qF -- "$named" "$work/$side/err.txt" &&
      [ -z "$(ls -A "$work/$side/out")" ] || ok=0
  done
  if [ "$ok" = 1 ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "FAIL: sondrix-cli $* not refused alike"
    head -3 "$work"/*/err.txt "$work"/*/status.txt
  fi
}
refused missing/out sort ソース missing/out
refused nowhere sort nowhere out
refused nowhere reorder nowhere
refused missing.wpl list missing.wpl out
refused nowhere list --base nowhere playlist.m3u8 out
refused ソース list ソース out
# Windows names the path as its ANSI code page shows it.
refused caf sort "$(printf 'caf\xc3\xa9')" out

compare --help
compare sort ソース -n --natural natural -r --
compare sort --dry-run -r ソース out
compare sort -r ソース out
compare sort -r ソース out
compare sort -rn ソース out
compare sort --natural -q ソース natural
for p in "$samples"/*.wpl "$samples"/*.m3u8; do
  compare list -n "$(basename "$p")" listed
  compare list "$(basename "$p")" listed
  compare list "$(basename "$p")" listed
done
# A code page 932 M3U in another folder: its entries are not found beside it, but are
# under --base.
compare list -n lists/sjis.m3u out
compare list --base . lists/sjis.m3u out

# reorder, from the state a stopped run leaves: the working folder holds the first entries.
for side in native windows; do
  cp -r "$samples/music" "$work/$side/moved"
  mkdir "$work/$side/moved.sondrix-reorder"
  mv "$work/$side/moved/01 朝.mp3" "$work/$side/moved.sondrix-reorder/"
done
compare reorder -n moved
compare reorder moved

# check: one FAT image, filled with mtools, read by both builds; a deleted slot, Japanese
# long names and a sub-folder, and a truncated copy.
img=$work/native/card.img
export MTOOLS_SKIP_CHECK=1
mkfs.fat -F 12 -s 1 -C "$img" 1024 > /dev/null && mmd -i "$img" ::/ライブ &&
  mcopy -i "$img" "$samples/music"/*.mp3 ::/ && mdel -i "$img" "::/02 Sunrise.mp3" &&
  mcopy -i "$img" "$samples/music/ライブ"/*.mp3 ::/ && mcopy -i "$img" "$samples/music/ライブ"/*.mp3 ::/ライブ/
head -c 50000 "$img" > "$work/native/short.img"
cp "$img" "$work/native/short.img" "$work/windows/"
compare check -r card.img
compare check --natural card.img /ライブ
compare check card.img nothing
compare check short.img

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
