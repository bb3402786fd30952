#!/usr/bin/env bash
# check on exFAT images made with mkfs.exfat and filled through exfat-fuse on a loop
# device: each listing is compared byte for byte with the expected one, and its order
# with fatsort's independent listing of the same image.
# Usage: exfatTest.sh PATH-TO-SONDRIX-CLI. Exits 77 (skipped, with the reason) without
# root, a loop device, FUSE, exfatprogs, exfat-fuse or fatsort.
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
. "$(dirname "$0")/exfatSupport.sh"
reason=$(exfatMissing fatsort)
[ -z "$reason" ] || skip "$reason"

put() { for n in "$@"; do printf '%s' "$n" > "mnt/$n"; done; }   # files with content
touched() { for n in "$@"; do : > "mnt/$n"; done; }             # empty: no cluster of their own

# The scenarios: each fills a fresh volume.
fill_order() { mkdir mnt/Music && put Music/01.mp3 Music/02.mp3 Music/03.mp3; }
# Two sets of four entries deleted, two of three written into them: a slot stays free
# after each; the third new file goes to the end.
fill_used() {
  put "01 Morning.mp3" "02 Second track.mp3" "03 Noon.mp3" "04 Fourth track.mp3" "05 Dusk.mp3" &&
    rm mnt/"02 Second track.mp3" mnt/"04 Fourth track.mp3" && put "06 朝.mp3" 07.mp3 08.mp3
}
# ソ and 表 end in 0x5C in code page 932, the byte of the path separator.
fill_japanese() {
  mkdir mnt/ソース && put "ソース/あさ.mp3" "ソース/ソング 夜明け前のとても長い曲の名前.mp3" "ソース/表.mp3"
}
# Files with data take the clusters behind a growing folder, so it is chained through
# the FAT; empty files do not, so the folder written alone stays contiguous.
fill_clusters() {
  mkdir mnt/flat && touched $(seq -f 'flat/track%03g.mp3' 1 40)
  mkdir mnt/big && put filler.mp3 $(seq -f 'big/track%03g.mp3' 1 40)
}

listing() {  # folder, count: an in-order folder of track001.mp3 ...
  printf '\\%s  のディスク上の順序\n' "$1"; seq -f 'track%03g.mp3' 1 "$2"
  printf '%s 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)\n' "$2"
}

# scenario | check arguments after the image | status | expected output
rows=(
"order|music|0|\\Music  のディスク上の順序
01.mp3
02.mp3
03.mp3
3 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)"
"used||1|\\  のディスク上の順序
CARD  <ボリュームラベル>
01 Morning.mp3
06 朝.mp3
<削除済み 1 枠>
03 Noon.mp3  順序違い
07.mp3
<削除済み 1 枠>
05 Dusk.mp3  順序違い
08.mp3
6 個のファイルのうち 2 個が順序どおりではありません (最後の項目より前の削除済みの枠: 2 個)"
"japanese|ソース|0|\\ソース  のディスク上の順序
あさ.mp3
ソング 夜明け前のとても長い曲の名前.mp3
表.mp3
3 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)"
"clusters|FLAT|0|$(listing flat 40)"
"clusters|Big|0|$(listing big 40)"
)

for row in "${rows[@]}"; do
  IFS='|' read -r scenario folder status expected <<< "$row"
  expected=${row#*|*|*|}
  rm -f vol.img && mounted vol.img
  "fill_$scenario" || { echo "FAIL: filling $scenario"; failed=$((failed + 1)); }
  detach
  LC_ALL=ja_JP.UTF-8 "$cli" check vol.img $folder > actual.txt 2>&1
  got=$?
  printf '%s\n' "$expected" > expected.txt
  if [ "$got" = "$status" ] && cmp -s expected.txt actual.txt; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); echo "FAIL: $scenario $folder (status $got, expected $status)"
    diff expected.txt actual.txt | head -20
  fi
  if orderAsFatsort vol.img actual.txt; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "FAIL: $scenario $folder differs from fatsort"
  fi
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
