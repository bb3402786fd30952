#!/usr/bin/env bash
# An interrupted copy and the next run: a sort killed with SIGKILL in the middle of a
# large file leaves a half file, which the same command finishes; the log so far reached
# its file before the kill; on an exFAT card (exfat-fuse on a loop device) a file
# finished in the middle of a folder keeps its place, as check reads it back. The card
# part is skipped, with the reason, without root, a loop device, FUSE or the packages.
# Usage: resumeTest.sh PATH-TO-SONDRIX-CLI
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
. "$(dirname "$0")/exfatSupport.sh"

expect() {  # name, expected status, actual status, expected log, actual log file
  if [ "$2" = "$3" ] && [ "$4" = "$(cat "$5")" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); echo "FAIL: $1 (status $3, expected $2)"
    diff <(printf '%s\n' "$4") "$5" | head -20
  fi
}
ok() {  # name, command...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $name"; fi
}
size() { stat -c %s "$1" 2>/dev/null || echo 0; }

# A sparse file of 1 GiB with random data at its start, middle and end.
mkdir src out
printf 'a' > "src/1 small.mp3"
truncate -s 1G "src/2 big.mp3"
for at in 0 512 1023; do
  head -c 1M /dev/urandom | dd of="src/2 big.mp3" bs=1M seek=$at conv=notrunc status=none
done
"$cli" sort src out > first.txt 2>/dev/null &
pid=$!
for _ in $(seq 1000); do
  [ "$(size "out/2 big.mp3")" -gt 0 ] && grep -q '^1 small.mp3  成功$' first.txt && break
  sleep 0.01
done
kill -KILL "$pid"
wait "$pid"
ok "killed by SIGKILL" [ $? = 137 ]
half=$(size "out/2 big.mp3")
ok "a half file left ($half bytes)" [ "$half" -gt 0 ] && [ "$half" -lt $((1 << 30)) ]
expect "the log so far reached its file before the kill" x x "out  にコピーします
1 small.mp3  成功" first.txt
"$cli" sort -n src out > dry.txt
expect "a dry run marks the half file" 1 $? "out  にコピーします
1 small.mp3  コピー先にあります (失敗)
2 big.mp3  続きをコピーします
1 個のファイルが失敗しました
--- 処理は終了しました ---" dry.txt
"$cli" sort src out > second.txt
expect "the same command finishes it" 1 $? "out  にコピーします
1 small.mp3  失敗
2 big.mp3  続きをコピーしました
1 個のファイルが失敗しました
--- 処理は終了しました ---" second.txt
ok "the finished file equals its source" cmp -s "src/2 big.mp3" "out/2 big.mp3"
# (to 100 ns, what a Windows file time holds)
tenths() { date -r "$1" +%s%N | cut -c1-17; }
ok "the finished file has its source's write time" [ "$(tenths "src/2 big.mp3")" = "$(tenths "out/2 big.mp3")" ]
rm -rf out src

# --no-sync ends the same way, without the flush.
mkdir src out && printf 'x' > src/x.mp3
"$cli" sort --no-sync src out > nosync.txt
expect "--no-sync" 0 $? "out  にコピーします
x.mp3  成功
1 個のファイルをコピーしました
--- 処理は終了しました ---" nosync.txt
rm -rf src out

# The card part alone is skipped where exFAT cannot be mounted.
card() {
  local reason
  reason=$(exfatMissing)
  [ -z "$reason" ] || { echo "SKIPPED: the card part: $reason"; return; }
  mkdir src
  (mounted vol.img 16M 4096) || { echo "SKIPPED: the card part: cannot mount exFAT"; return; }
  loop=$(losetup -j vol.img | cut -d: -f1)
  for n in 01 02 03; do head -c 300000 /dev/urandom > "src/$n.mp3"; done
  mkdir mnt/music && "$cli" sort -q src mnt/music > /dev/null
  truncate -s 100000 mnt/music/02.mp3
  "$cli" sort -q src mnt/music > card.txt
  expect "the file in the middle is finished on the card" 1 $? "mnt\\music  にコピーします
01.mp3  失敗
02.mp3  続きをコピーしました
03.mp3  失敗
2 個のファイルが失敗しました
--- 処理は終了しました ---" card.txt
  ok "the finished file on the card equals its source" cmp -s src/02.mp3 mnt/music/02.mp3
  detach
  LC_ALL=ja_JP.UTF-8 "$cli" check vol.img music > order.txt
  expect "the order on the card is kept" 0 $? '\music  のディスク上の順序
01.mp3
02.mp3
03.mp3
3 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)' order.txt
}
card

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
