#!/usr/bin/env bash
# reorder on an exFAT volume mounted through exfat-fuse on a loop device: a used folder
# and its sub-folder, then the root, are put in order; check and fatsort read the image
# back, and every file keeps its bytes. A second run finds everything in order.
# Usage: reorderExfatTest.sh PATH-TO-SONDRIX-CLI. Exits 77 (skipped, with the reason)
# where exFAT cannot be mounted here.
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
. "$(dirname "$0")/exfatSupport.sh"
reason=$(exfatMissing fatsort)
[ -z "$reason" ] || skip "$reason"

expect() {  # what, wanted status, got status, then grep patterns the log must hold
  local what=$1 wanted=$2 got=$3 ok=1
  shift 3
  [ "$got" = "$wanted" ] || ok=0
  for pattern in "$@"; do grep -qF -- "$pattern" log.txt || ok=0; done
  if [ "$ok" = 1 ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "FAIL: $what (status $got, expected $wanted)"; cat log.txt
  fi
}

# Deleted files leave holes that later files fill: the player's order breaks.
mounted card.img
mkdir -p "mnt/Music/Disc 2"
for n in "03 Noon.mp3" "01 Morning with a long name.mp3" 02.mp3 cover.jpg "05 Dusk.mp3"; do
  printf '%s' "$n" > "mnt/Music/$n"
done
rm mnt/Music/02.mp3 "mnt/Music/01 Morning with a long name.mp3"
for n in 04.mp3 "01 Morning.mp3" "ソング.mp3"; do printf '%s' "$n" > "mnt/Music/$n"; done
for n in b.mp3 a.mp3 "表.mp3"; do printf '%s' "$n" > "mnt/Music/Disc 2/$n"; done
for n in zz.mp3 "a long root name.mp3" B.mp3; do printf '%s' "$n" > "mnt/$n"; done
rm "mnt/a long root name.mp3" && printf x > mnt/aa.mp3
sums() { (cd mnt && find . -type f -exec md5sum {} + | sort -k 2); }
sums > before.md5
detach
LC_ALL=ja_JP.UTF-8 "$cli" check -r card.img > log.txt
expect "check before" 1 $? "順序違い"

attach card.img
"$cli" reorder -r mnt/Music > log.txt
expect "reorder -r of a used folder" 0 $? "mnt\\Music\\Disc 2  並べ替えました (3 項目を移動しました)" \
  "mnt\\Music  並べ替えました (7 項目を移動しました)"
detach
for folder in Music "Music/Disc 2"; do
  LC_ALL=ja_JP.UTF-8 "$cli" check card.img "$folder" > log.txt
  expect "check $folder after" 0 $? "順序どおりです (最後の項目より前の削除済みの枠: 0 個)"
  orderAsFatsort card.img log.txt && passed=$((passed + 1)) ||
    { failed=$((failed + 1)); echo "FAIL: $folder differs from fatsort"; }
done
cp log.txt ordered.txt

attach card.img
"$cli" reorder -r mnt/Music > log.txt
expect "a second run" 0 $? "mnt\\Music\\Disc 2  すでに順序どおりです" "mnt\\Music  すでに順序どおりです"
"$cli" reorder -n mnt > log.txt
expect "the root's plan" 0 $? "mnt  の新しい順序" "  aa.mp3  移動します" "  Music  移動します"
"$cli" reorder mnt > log.txt
expect "reorder of the root" 0 $? "mnt  並べ替えました (4 項目を移動しました)"
# Stopped just after the holder was made: a run again finishes the job.
"$cli" reorder mnt > /dev/null && mkdir mnt/sondrix-reorder mnt/SONDRIX.TMP && mv mnt/zz.mp3 mnt/sondrix-reorder/
"$cli" reorder mnt > log.txt
expect "a stopped reorder of the root, finished" 0 $? "mnt  並べ替えました (4 項目を移動しました)"
ls -a mnt > entries.txt
sums > after.md5
detach
grep -q sondrix entries.txt && { failed=$((failed + 1)); echo "FAIL: a working folder is left"; }
cmp -s before.md5 after.md5 && passed=$((passed + 1)) ||
  { failed=$((failed + 1)); echo "FAIL: file contents changed"; diff before.md5 after.md5; }
LC_ALL=ja_JP.UTF-8 "$cli" check card.img "Music/Disc 2" | cmp -s - ordered.txt && passed=$((passed + 1)) ||
  { failed=$((failed + 1)); echo "FAIL: the sub-folder changed with the second run"; }
# The root: in order behind the label, with only the one-slot holder's entry set free
# before the first entry (three slots on exFAT).
LC_ALL=ja_JP.UTF-8 "$cli" check card.img > log.txt
expect "check of the root" 0 $? "(最後の項目より前の削除済みの枠: 3 個)"
printf '%s\n' '\  のディスク上の順序' 'CARD  <ボリュームラベル>' '<削除済み 3 枠>' B.mp3 aa.mp3 zz.mp3 \
  'Music  <フォルダー>' | cmp -s - <(head -n 7 log.txt) && passed=$((passed + 1)) ||
  { failed=$((failed + 1)); echo "FAIL: the root's order"; }
orderAsFatsort card.img log.txt && passed=$((passed + 1)) ||
  { failed=$((failed + 1)); echo "FAIL: the root differs from fatsort"; }

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
