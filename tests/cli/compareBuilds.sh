#!/usr/bin/env bash
# Runs the same jobs with the native sondrix-cli and with sondrix-cli.exe under Wine,
# each in its own fresh folder laid out alike, and compares status and log byte for
# byte (the Windows log is code page 932, the native one UTF-8).
# Usage: compareBuilds.sh NATIVE-CLI WINDOWS-CLI
set -u
# Both builds speak Japanese, as under Wine (scripts/wineRun.sh), but where a table says.
export LC_ALL=ja_JP.UTF-8
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

# The tool's messages in English and in Japanese (Wine: the user interface language from
# LC_MESSAGES), the same in both builds; the log lines the same in both languages too.
# Each run's status, standard output and standard error, made UTF-8 with LF line ends.
inLanguage() {  # locale, arguments: into $work/SIDE/LOCALE.txt
  local locale=$1
  shift
  (cd "$work/native" && rm -rf langOut && mkdir langOut &&
   LC_ALL=$locale "$native" "$@" > out.txt 2> err.txt; echo "status $?" > "$locale.txt"
   cat out.txt err.txt >> "$locale.txt")
  (cd "$work/windows" && rm -rf langOut && mkdir langOut &&
   SONDRIX_UI_LOCALE=$locale "$wine" "$windows" "$@" > out.txt 2> err.txt; echo "status $?" > "$locale.txt"
   cat out.txt err.txt | iconv -f CP932 -t UTF-8 | tr -d '\r' >> "$locale.txt")
}
# Wine lists a folder sorted, Linux in its own order: the reorder's folder holds one file.
for side in native windows; do
  head -c 4096 /dev/zero > "$work/$side/zero.img"
  mkdir "$work/$side/one" && cp "$samples/music/01 朝.mp3" "$work/$side/one/"
done
languages() {  # messages|log, arguments of one run
  local kind=$1 locale ok=1
  shift
  for locale in en_US.UTF-8 ja_JP.UTF-8; do
    inLanguage "$locale" "$@"
    cmp -s "$work/native/$locale.txt" "$work/windows/$locale.txt" || ok=0
  done
  local english=$work/native/en_US.UTF-8.txt japanese=$work/native/ja_JP.UTF-8.txt
  if [ "$kind" = log ]; then cmp -s "$english" "$japanese" || ok=0
  else ! cmp -s "$english" "$japanese" || ok=0; fi
  if [ "$ok" = 1 ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "FAIL: sondrix-cli $* in both languages ($kind)"
    head -n 3 "$work"/*/*.UTF-8.txt
  fi
}
languages messages sort onlyone
languages messages sort nowhere langOut
languages messages check zero.img
languages messages --help
languages log sort -r ソース langOut
languages log list playlist.m3u8 langOut
languages log reorder one

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
