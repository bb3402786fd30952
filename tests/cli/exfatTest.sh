#!/usr/bin/env bash
# check on exFAT images made with mkfs.exfat and filled through exfat-fuse on a loop
# device: each listing is compared byte for byte with the expected one, and its order
# with fatsort's independent listing of the same image.
# Usage: exfatTest.sh PATH-TO-SONDRIX-CLI. Exits 77 (skipped, with the reason) without
# root, a loop device, FUSE, exfatprogs, exfat-fuse or fatsort.
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "mounting a loop device needs root"
for tool in mkfs.exfat mount.exfat-fuse losetup fatsort; do
  command -v "$tool" > /dev/null || skip "$tool is missing (packages exfatprogs exfat-fuse fatsort)"
done
[ -c /dev/fuse ] || skip "no /dev/fuse"
export LC_ALL=C.UTF-8
work=$(mktemp -d) loop=""
detach() {
  mountpoint -q "$work/mnt" && umount "$work/mnt"
  [ -n "$loop" ] && losetup -d "$loop"
  loop=""
}
trap 'detach; rm -rf "$work"' EXIT
cd "$work" && mkdir mnt
passed=0 failed=0

# An empty exFAT volume of 4 MiB with 512-byte clusters (16 entries each), mounted on mnt.
mounted() {  # image
  truncate -s 4M "$1" && mkfs.exfat -c 512 -L CARD "$1" > /dev/null || skip "mkfs.exfat failed"
  loop=$(losetup -f --show "$1" 2> /dev/null) || skip "no free loop device"
  mount.exfat-fuse "$loop" mnt > /dev/null 2>&1 || { detach; skip "exfat-fuse cannot mount $loop"; }
}
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
  "$cli" check vol.img $folder > actual.txt 2>&1
  got=$?
  printf '%s\n' "$expected" > expected.txt
  if [ "$got" = "$status" ] && cmp -s expected.txt actual.txt; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); echo "FAIL: $scenario $folder (status $got, expected $status)"
    diff expected.txt actual.txt | head -20
  fi
  # fatsort's listing of the folder, "/" or "/Name/", in its on-disk order.
  header=$(sed -n '1s/  のディスク上の順序$//p' actual.txt | tr '\\' '/')
  [ "$header" = / ] || header="$header/"
  # fatsort garbles non-ASCII names of more than one name entry (15 characters): only
  # the shorter names are compared, in their order.
  short() { perl -ne 'my $s = $_; chomp $s; utf8::decode($s); print if length($s) <= 15'; }
  fatsort -l vol.img 2> /dev/null | awk -v h="$header" '$0 == h {on = 1; next} on && $0 == "" {exit} on' |
    grep -av '^CARD$' | short > oracle.txt
  sed '1d;$d;/^<削除済み/d;/<ボリュームラベル>$/d;s/  <フォルダー>$//;s/  順序違い$//' actual.txt |
    short > names.txt
  [ -s names.txt ] || { failed=$((failed + 1)); echo "FAIL: $scenario: no name to compare with fatsort"; }
  if cmp -s oracle.txt names.txt; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "FAIL: $scenario $folder differs from fatsort"; diff oracle.txt names.txt | head
  fi
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
