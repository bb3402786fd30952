#!/usr/bin/env bash
# Drives the built sondrix-cli as a user would and compares its output byte for byte.
# Usage: cliTest.sh PATH-TO-SONDRIX-CLI
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
samples=$(cd "$(dirname "$0")/../../samples" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
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
run 2 "" ; grep -q "usage: sondrix-cli sort" stderr.txt || { failed=$((failed + 1)); echo "FAIL: no usage text"; }
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
run 1 "リストファイルが開けません
mp3 ファイルはありません
--- 処理は終了しました ---
" list nothing.wpl listed
run 2 "" list playlist.wpl

# An absolute destination is shown in its DOS form on drive Z:.
mkdir abs empty
dos="Z:$(pwd | tr / '\\')\\abs"
run 0 "$dos  にコピーします
mp3 ファイルはありません
--- 処理は終了しました ---
" sort -r "$(pwd)/empty" "$(pwd)/abs"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
