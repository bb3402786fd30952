#!/usr/bin/env bash
# Drives the built sondrix-cli as a user would and compares its output byte for byte.
# Usage: cliTest.sh PATH-TO-SONDRIX-CLI
set -u
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
samples=$(cd "$(dirname "$0")/../../samples" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# The expectations are Japanese: the tool runs in a Japanese locale (which need not be
# installed) whatever the script's own; the table of both languages runs $tool itself.
cli=$work/sondrix-cli-ja
printf '#!/bin/sh\nLC_ALL=ja_JP.UTF-8 exec "%s" "$@"\n' "$tool" > "$cli" && chmod +x "$cli"
passed=0 failed=0

check() {  # name, expected status, expected stdout file, actual status, actual stdout file
  if [ "$2" = "$4" ] && cmp -s "$3" "$5"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $1 (status $4, expected $2)"
    diff "$3" "$5" | head -20
  fi
}

run() {  # expected status, expected output (text), arguments...
  local status=$1 expected=$2
  shift 2
  printf '%s' "$expected" > expected.txt
  "$cli" "$@" > actual.txt 2> stderr.txt
  check "sondrix-cli $*" "$status" expected.txt $? actual.txt
}

# Usage errors: status 2, nothing on standard output, a usage text on standard error.
run 2 "" ; grep -q "使い方: sondrix-cli sort" stderr.txt || { failed=$((failed + 1)); echo "FAIL: no usage text"; }
run 2 "" sort onlyone
run 2 "" sort -r a b c
run 2 "" copy a b
run 2 "" sort "$(printf 'x%.0s' $(seq 300))" out

cp -r "$samples/music" "ソース"
mkdir out
run 0 "out  にコピーします
01 朝.mp3  成功
02 Sunrise.mp3  成功
10 夜のソング.mp3  成功
9 Interlude.mp3  成功
B-side.MP3  成功
Rock & Roll.mp3  成功
6 個のファイルをコピーしました
out\\ライブ  にコピーします
01 開演.mp3  成功
02 アンコール.mp3  成功
2 個のファイルをコピーしました
--- 処理は終了しました ---
" sort --recursive "ソース" out/
cmp -s "ソース/ライブ/01 開演.mp3" "out/ライブ/01 開演.mp3" && passed=$((passed + 1)) ||
  { failed=$((failed + 1)); echo "FAIL: copied file differs"; }
[ ! -e out/.hidden ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: .hidden copied"; }

# A second run overwrites nothing and fails for every file.
run 1 "out  にコピーします
01 朝.mp3  失敗
02 Sunrise.mp3  失敗
10 夜のソング.mp3  失敗
9 Interlude.mp3  失敗
B-side.MP3  失敗
Rock & Roll.mp3  失敗
6 個のファイルが失敗しました
--- 処理は終了しました ---
" sort "ソース" out

# The demo playlist: Japanese names, an entity (decoded), a .wma entry and a missing file.
mkdir listed
cp "$samples/playlist.wpl" .
ln -s ソース music
run 1 "listed  にコピーします
music\\10 夜のソング.mp3  成功
music\\ライブ\\02 アンコール.mp3  成功
music\\Rock & Roll.mp3  成功
music\\01 朝.mp3  成功
music\\missing.mp3  失敗
music\\B-side.MP3  成功
1 個のファイルが失敗しました
--- 処理は終了しました ---
" list playlist.wpl listed
listedBody=$(tail -n +2 actual.txt)
run 2 "" list playlist.wpl

# The demo M3U8 playlist as a player writes it (#EXTINF lines, a stream, an .m4a, an
# escaped relative path), the same in code page 932, and in another folder with --base:
# the same log as the Windows Media playlist's.
cp "$samples/playlist.m3u8" .
mkdir m3uLists && iconv -f UTF-8 -t CP932 playlist.m3u8 > sjis.m3u && cp sjis.m3u m3uLists/sjis.M3U
for job in "listedM3u playlist.m3u8" "listedSjis sjis.m3u" "listedBase --base . m3uLists/sjis.M3U"; do
  dest=${job%% *}
  mkdir "$dest"
  run 1 "$dest  にコピーします
$listedBody
" list ${job#* } "$dest"
done
# Without --base none is found beside that playlist.
mkdir listedOther
run 1 "listedOther  にコピーします
$(printf '%s\n' "$listedBody" | sed -e 's/  成功$/  失敗/' -e 's/^1 個/6 個/')
" list m3uLists/sjis.M3U listedOther

# An absolute destination is shown in its DOS form on drive Z:.
mkdir abs empty
dos="Z:$(pwd | tr / '\\')\\abs"
run 0 "$dos  にコピーします
mp3 ファイルはありません
--- 処理は終了しました ---
" sort -r "$(pwd)/empty" "$(pwd)/abs"

# Help: on standard output with status 0, for the tool and for each command.
for args in -h --help "sort --help" "list -h" "check --help"; do
  run 0 "$("$cli" --help)
" $args
done
grep -q -- "--dry-run" actual.txt && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: help"; }

# Usage errors give one error line and the usage on standard error.
usage_error() {  # arguments
  run 2 "" "$@"
  if [ "$(head -1 stderr.txt | grep -c '^sondrix-cli: ')" = 1 ] && grep -q "^使い方: " stderr.txt; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); echo "FAIL: usage text for $*"
  fi
}
usage_error sort --dry-runs ソース out
usage_error list -r playlist.wpl listed
usage_error check -n x.img
usage_error sort -rx ソース out
usage_error sort ソース
usage_error sort --base . ソース out
usage_error list playlist.m3u8 listed --base

# Refused operands: status 2, one line on standard error naming the path, nothing
# written. The destination is a fresh copy of out each time, compared before and after.
touch plain.mp3
mkdir -p noread && cp playlist.wpl noread/locked.wpl && chmod 000 noread/locked.wpl
long=$(printf 'x%.0s' $(seq 300))
refused() {  # path named in the message, arguments
  local named=$1
  shift
  rm -rf dest && cp -a out dest && (cd dest && find . | sort) > before.txt
  run 2 "" "$@"
  (cd dest && find . | sort) > after.txt
  if [ "$(wc -l < stderr.txt)" = 1 ] && grep -qF -- "$named" stderr.txt && cmp -s before.txt after.txt
  then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: refusal of $*"; cat stderr.txt; fi
}
refused nowhere sort -r nowhere dest
refused plain.mp3 sort plain.mp3 dest
refused dest/none sort ソース dest/none
refused plain.mp3 sort ソース plain.mp3
refused none.wpl list none.wpl dest
refused nowhere list --base nowhere playlist.m3u8 dest
refused plain.mp3 list playlist.m3u8 dest --base plain.mp3
refused ソース list ソース dest
refused "$long" sort ソース "$long"
refused "$(printf 'caf\xc3\xa9')" sort "$(printf 'caf\xc3\xa9')" dest
refused "$(printf 'caf\xc3\xa9')" list playlist.wpl "$(printf 'caf\xc3\xa9')"
# root reads every file whatever its mode
[ "$(id -u)" = 0 ] || refused locked.wpl list noread/locked.wpl dest

# Options after the operands; "--" ends them, so a folder may be named like one.
mkdir -- -src -dst && cp ソース/*.mp3 ソース/*.MP3 -- -src/
run 0 "-dst  にコピーします
01 朝.mp3  コピーします
02 Sunrise.mp3  コピーします
10 夜のソング.mp3  コピーします
9 Interlude.mp3  コピーします
B-side.MP3  コピーします
Rock & Roll.mp3  コピーします
6 個のファイルをコピーしました
--- 処理は終了しました ---
" sort --dry-run -- -src -dst
[ -z "$(ls -A -- -dst)" ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: dry run wrote"; }

# A dry run lists what the real job then does, line for line, and creates nothing; once
# the files are there it marks them as present and fails as the job would.
dry_matches() {  # the real job's arguments
  rm -rf fresh && mkdir fresh && cp -a fresh fresh.orig
  "$cli" "$@" -n > dry.txt 2>/dev/null; local dry=$?
  (cd fresh && find .) | cmp -s - <(cd fresh.orig && find .) || { failed=$((failed + 1)); echo "FAIL: dry run wrote: $*"; }
  "$cli" "$@" > real.txt 2>/dev/null; local real=$?
  sed -E -e 's/  コピーします$/  成功/' -e 's/  コピー(先にあります|できません) \(失敗\)$/  失敗/' dry.txt > mapped.txt
  check "dry run of $*" "$real" real.txt "$dry" mapped.txt
  "$cli" "$@" -n > again.txt 2>/dev/null; local again=$?
  # The fresh destination failed only for sources that cannot be read.
  sed -e 's/  成功$/  コピー先にあります (失敗)/' -e 's/  失敗$/  コピーできません (失敗)/' real.txt |
    grep -v 'しました$' > present.txt
  check "dry run after $*" 1 present.txt $again <(grep -v 'しました$' again.txt)
  rm -rf fresh.orig
}
dry_matches sort -r ソース fresh
dry_matches sort --natural ソース fresh
dry_matches list playlist.wpl fresh
dry_matches list playlist.m3u8 fresh

# Natural order: digit runs by value, leading zeros and equal values in byte order,
# Japanese names, digits inside names; the log, dry run and copy agree.
mkdir natural && for n in "Track 10.mp3" "Track 9.mp3" "10.mp3" "2.mp3" "02.mp3" "002.mp3" \
  "第10話.mp3" "第2話.mp3" "a10b.mp3" "a2b.mp3" "a2c.mp3" "x.mp3"; do : > "natural/$n"; done
mkdir naturalOut
run 0 "naturalOut  にコピーします
002.mp3  成功
02.mp3  成功
2.mp3  成功
10.mp3  成功
Track 9.mp3  成功
Track 10.mp3  成功
a2b.mp3  成功
a2c.mp3  成功
a10b.mp3  成功
x.mp3  成功
第2話.mp3  成功
第10話.mp3  成功
12 個のファイルをコピーしました
--- 処理は終了しました ---
" sort natural naturalOut --natural

# Progress: drawn in place on a terminal and cleared, never on a pipe or with -q; the log
# on standard output stays the same.
progress() {  # options; prints what reached the terminal
  rm -rf fresh && mkdir fresh
  script -qec "'$cli' sort -r $* ソース fresh 2>&1 >log.txt" /dev/null | tr -d '\n'
}
terminal=$(progress)
case $terminal in
  $'\r'*0/8*"朝.mp3"*$'\r'*' '$'\r') passed=$((passed + 1)) ;;
  *) failed=$((failed + 1)); echo "FAIL: no progress line on a terminal: $(printf '%q' "$terminal")" ;;
esac
grep -q '^--- 処理は終了しました ---$' log.txt && ! grep -q $'\r' log.txt && passed=$((passed + 1)) ||
  { failed=$((failed + 1)); echo "FAIL: log on a terminal"; }
# With the log on the same terminal, every log line starts at the left edge, whole.
rm -rf fresh && mkdir fresh
script -qec "'$cli' sort -r ソース fresh" /dev/null | tr '\r' '\n' > both.txt
grep -qx '01 朝.mp3  成功' both.txt && grep -qx '02 アンコール.mp3  成功' both.txt &&
  grep -q '^[0-9]*/8  ' both.txt && passed=$((passed + 1)) ||
  { failed=$((failed + 1)); echo "FAIL: progress and log on one terminal"; cat -A both.txt | head; }
[ -z "$(progress -q)" ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: -q"; }
rm -rf fresh && mkdir fresh && "$cli" sort -r ソース fresh 2>&1 >/dev/null | cmp -s - /dev/null &&
  passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: progress on a pipe"; }

# A termination or hang-up mid-copy (Ctrl-C takes the same way; a script's background job
# ignores it): the half-copied file is removed, the log so far reaches its file, and the
# tool ends by the signal.
interrupted() {  # signal
  rm -rf stop stopped && mkdir stop stopped
  printf 'a' > "stop/1 small.mp3"
  truncate -s 2G "stop/2 big.mp3"
  "$cli" sort -q stop stopped > stop.txt 2>/dev/null &
  local pid=$! i
  for i in $(seq 1000); do [ -e "stopped/2 big.mp3" ] && break; sleep 0.01; done
  kill -"$1" "$pid"
  wait "$pid"
  [ $? = $((128 + $(kill -l "$1"))) ] && [ "$(ls stopped)" = "1 small.mp3" ] &&
    grep -qx '1 small.mp3  成功' stop.txt
}
for signal in TERM HUP; do
  interrupted $signal && passed=$((passed + 1)) ||
    { failed=$((failed + 1)); echo "FAIL: interrupted by $signal: $(ls stopped) $(cat stop.txt)"; }
done

# check: FAT images made with mkfs.fat and filled with mtools, which write without mounting.
export LC_ALL=C.UTF-8 MTOOLS_SKIP_CHECK=1
mp3() { for n in "$@"; do printf '%s' "$n" > "$n"; done; }
image() {  # FAT type, size in KiB, name: an empty volume with 512-byte clusters
  rm -f "$3" && mkfs.fat -F "$1" -s 1 -C "$3" "$2" > /dev/null
}
u16() { od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '; }
poke() {  # image, offset, bytes as \x escapes
  printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
mkdir vol && cd vol
mp3 01.mp3 02.mp3 03.mp3 04.mp3 05.mp3 "06 朝.mp3" 07.mp3 08.mp3 "2.mp3" "10.mp3"

# Files copied in order are in order, on every FAT type; FOLDER ignores case.
for fat in 12:1024 16:8192 32:34000; do
  image "${fat%%:*}" "${fat#*:}" in.img && mmd -i in.img ::/Music &&
    mcopy -i in.img 01.mp3 02.mp3 03.mp3 ::/Music/
  run 0 '\Music  のディスク上の順序
01.mp3
02.mp3
03.mp3
3 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)
' check in.img music
done

# Two deleted, three copied: the new files take the freed slots, a label and a sub-folder
# are listed, and -r checks the sub-folder too.
image 12 1024 used.img && mlabel -i used.img ::CARD &&
  mcopy -i used.img 01.mp3 02.mp3 03.mp3 04.mp3 05.mp3 ::/ &&
  mdel -i used.img ::/02.mp3 ::/04.mp3 && mcopy -i used.img "06 朝.mp3" 07.mp3 ::/ &&
  mmd -i used.img ::/ライブ && mcopy -i used.img 08.mp3 ::/ライブ/
run 1 '\  のディスク上の順序
CARD  <ボリュームラベル>
01.mp3
07.mp3
03.mp3  順序違い
<削除済み 1 枠>
05.mp3  順序違い
06 朝.mp3  順序違い
ライブ  <フォルダー>
5 個のファイルのうち 3 個が順序どおりではありません (最後の項目より前の削除済みの枠: 1 個)
\ライブ  のディスク上の順序
08.mp3
1 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)
' check -r used.img

# Natural order puts 2 before 10; byte order does not.
image 12 1024 nat.img && mcopy -i nat.img 2.mp3 10.mp3 ::/
run 1 '\  のディスク上の順序
2.mp3
10.mp3  順序違い
2 個のファイルのうち 1 個が順序どおりではありません (最後の項目より前の削除済みの枠: 0 個)
' check nat.img
run 0 '\  のディスク上の順序
2.mp3
10.mp3
2 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)
' check --natural nat.img /

# A folder over several clusters (40 entries in 512-byte clusters), and one whose only
# cluster is full, so that it ends without an end marker.
image 16 8192 big.img && mmd -i big.img ::/big ::/full
names=$(seq -f 'track%03g.mp3' 1 40) && mp3 $names && mcopy -i big.img $names ::/big/
mcopy -i big.img $(seq -f 'track%03g.mp3' 1 14) ::/full/
expected() { printf '\\%s  のディスク上の順序\n' "$1"; seq -f 'track%03g.mp3' 1 "$2"
  printf '%s 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)\n' "$2"; }
run 0 "$(expected big 40)
" check big.img big
run 0 "$(expected full 14)
" check big.img full

# Hostile images: a clear message and status 2. The FAT16 image's layout comes from its
# boot sector; big's first cluster from its root entry.
fat=$((512 * $(u16 big.img 14))); root=$((fat + 2 * 512 * $(u16 big.img 22)))
first=$(u16 big.img $((root + 26))) data=$((root + 512 * 32))
hostile() {  # expected message, offset, bytes
  cp big.img bad.img && poke bad.img "$2" "$3"
  run 2 "$1
" check bad.img big
}
hostile 'ボリューム bad.img を読めません: FAT12/16/32 のボリュームでも exFAT のボリュームでもありません (ディスク全体ではなくパーティションを指定してください)' 510 '\0\0'
hostile "フォルダー \\big を読めません: 壊れています: クラスターのつながりがクラスター $first で輪になっています" \
  $((fat + 2 * first)) "$(printf '\\x%02x\\x%02x' $((first % 256)) $((first / 256)))"
hostile "フォルダー \\big を読めません: 壊れています: クラスター番号 65519 がボリュームの外を指しています" \
  $((fat + 2 * first)) '\xef\xff'
hostile 'フォルダー \big を読めません: 壊れています: 1 番目の項目が正しくありません' \
  $((data + 512 * (first - 2))) "$(printf '\\xff%.0s' $(seq 512))"
head -c 100000 big.img > bad.img
run 2 'ボリューム bad.img を読めません: ボリュームが途中で切れています (ブートセクターでは 8388608 バイト)
' check bad.img
run 2 'ボリューム none.img を開けません: 見つかりません
' check none.img
# A FIFO is refused at once, not waited on for a writer.
mkfifo pipe.img && printf '%s\n' 'ボリューム pipe.img を開けません: イメージファイルでもブロックデバイスでもありません (パイプや端末は読めません)' > expected.txt
timeout 10 "$cli" check pipe.img > actual.txt 2>&1
check "check on a FIFO" 2 expected.txt $? actual.txt
run 2 'フォルダー \big\nothing が見つかりません
' check big.img big/nothing
run 2 "" check --sorted big.img
cd ..

# The tool's own messages in the language of the locale, its log the same in every one.
# Each row: the arguments, the status, and the first line of the output (standard output,
# then standard error) in English and in Japanese.
head -c 4096 /dev/zero > zero.img
languageRows=(
  "sort onlyone" 2 "sondrix-cli: sort needs SOURCE and DEST"
      "sondrix-cli: sort には SOURCE と DEST を指定してください"
  "sort nowhere out" 2 "sondrix-cli: SOURCE nowhere is not an existing folder"
      "sondrix-cli: SOURCE nowhere は既存のフォルダーではありません"
  "check zero.img" 2
      "cannot read volume zero.img: neither a FAT12/16/32 nor an exFAT volume (give a partition, not the whole disk)"
      "ボリューム zero.img を読めません: FAT12/16/32 のボリュームでも exFAT のボリュームでもありません (ディスク全体ではなくパーティションを指定してください)"
  "--help" 0 "usage: sondrix-cli sort [-r|--recursive] [--natural] [-n|--dry-run] [-q|--quiet] [--no-sync]"
      "使い方: sondrix-cli sort [-r|--recursive] [--natural] [-n|--dry-run] [-q|--quiet] [--no-sync]"
)
firstLine() {  # environment assignments, then arguments: status and first line of output
  env "$@" > out.txt 2> err.txt
  echo "$? $(cat out.txt err.txt | head -n 1)"
}
for ((i = 0; i < ${#languageRows[@]}; i += 4)); do
  read -ra args <<< "${languageRows[i]}"
  status=${languageRows[i + 1]}
  for row in "en_US.UTF-8 ${languageRows[i + 2]}" "ja_JP.UTF-8 ${languageRows[i + 3]}"; do
    got=$(firstLine LC_ALL="${row%% *}" "$tool" "${args[@]}")
    [ "$got" = "$status ${row#* }" ] && passed=$((passed + 1)) ||
      { failed=$((failed + 1)); printf 'FAIL: %s in %s\n  got:      %s\n' "${args[*]}" "${row%% *}" "$got"; }
  done
done
# The first of LC_ALL, LC_MESSAGES and LANG that is set and not empty decides.
for row in "en LC_ALL=C LC_MESSAGES=ja_JP.UTF-8" "ja LC_ALL= LC_MESSAGES=ja_JP.eucJP LANG=C" \
           "en LC_MESSAGES=POSIX LANG=ja_JP.UTF-8" "ja LANG=ja" "en LANG=jam_XX" "en"; do
  [ "${row:0:2}" = ja ] && wanted="sondrix-cli: コマンドがありません" || wanted="sondrix-cli: no command"
  got=$(firstLine -u LC_ALL -u LC_MESSAGES -u LANG ${row:3} "$tool")
  [ "$got" = "2 $wanted" ] && passed=$((passed + 1)) ||
    { failed=$((failed + 1)); echo "FAIL: language of '${row:3}': $got"; }
done
# The log lines of a copy, a dry run and a reorder are the same in both.
for job in "sort -r ソース langOut" "sort -n natural langOut" "reorder -n -r vol"; do
  for locale in en_US.UTF-8 ja_JP.UTF-8; do
    rm -rf langOut && mkdir langOut
    LC_ALL=$locale "$tool" $job > "log.$locale" 2>&1
  done
  cmp -s log.en_US.UTF-8 log.ja_JP.UTF-8 && grep -q '処理は終了しました\|順序' log.en_US.UTF-8 &&
    passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL: log of $job differs by language"; }
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
