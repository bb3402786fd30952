#!/usr/bin/env bash
# reorder on FAT images through the real Linux vfat driver, in a qemu machine
# (tests/support/vfatVm.sh): images filled out of order with mtools, reordered in the
# machine, then read back here with check, fatsort's independent listing and mtools.
# Usage: reorderVfatTest.sh PATH-TO-SONDRIX-CLI. Exits 77 (skipped, with the reason)
# without qemu, the kernel, busybox-static, cpio, dosfstools, mtools or fatsort. With
# KEEP=1 the work folder, with the images, is left and named.
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
vm=$(cd "$(dirname "$0")/../support" && pwd)/vfatVm.sh
skip() { echo "SKIPPED: $*"; exit 77; }
for tool in mkfs.vfat mcopy mmd mdel fatsort; do
  command -v "$tool" > /dev/null || skip "$tool is missing (packages dosfstools mtools fatsort)"
done
export LC_ALL=C.UTF-8 MTOOLS_SKIP_CHECK=1
work=$(mktemp -d)
trap 'if [ -n "${KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi' EXIT
cd "$work"
passed=0 failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
same() {  # what, expected file, actual file
  if cmp -s "$2" "$3"; then pass; else fail "$1"; diff "$2" "$3" | head -30; fi
}

# A FAT image with 512-byte clusters: a folder's cluster holds 16 entries, so the folders
# below span several. FAT16 has a fixed root folder, FAT32 a chained one.
new_image() {  # image, 16 or 32
  local kib=16384; [ "$2" = 32 ] && kib=40960
  rm -f "$1" && mkfs.vfat -C -F "$2" -s 1 -n CARD "$1" "$kib" > /dev/null || fail "mkfs.vfat $1"
}
# Files of different sizes (none, one cluster, several) with random bytes.
put() {  # image, path in the image...
  local image=$1 n=0; shift
  for path in "$@"; do
    head -c $(((${#path} * 731 + n * 1499) % 3600)) /dev/urandom > data
    mcopy -i "$image" data "::/$path" 2> /dev/null || fail "mcopy $path"
    n=$((n + 1))
  done
}
gone() { local image=$1; shift; for p in "$@"; do mdel -i "$image" "::/$p" 2> /dev/null || fail "mdel $p"; done; }
folder() { local image=$1; shift; for p in "$@"; do mmd -i "$image" "::/$p" 2> /dev/null || fail "mmd $p"; done; }

# Each file's checksum and each folder's path, as mtools reads them from the image.
contents() {  # image, output file
  rm -rf tree && mkdir tree && mcopy -s -i "$1" "::/*" tree/ 2> /dev/null
  (cd tree && find . -type d | sort && find . -type f -print0 | sort -z | xargs -0r md5sum) > "$2"
}

# The order check shows and the order fatsort lists, folder by folder ("/MUSIC/" TAB
# name, folders in path order). fatsort shows a short name in upper case where the
# driver keeps lower case in the entry's flags: ASCII case is not compared.
orders_agree() {  # what, image
  LC_ALL=ja_JP.UTF-8 "$cli" check -r "$2" 2>&1 | awk '
    / のディスク上の順序$/ { sub(/  のディスク上の順序$/, ""); gsub(/\\/, "/"); at = ($0 == "/") ? "/" : $0 "/"; next }
    /^<削除済み/ || /<ボリュームラベル>$/ || / 個の/ || /ファイルはありません/ { next }
    { sub(/  (<フォルダー>|順序違い)$/, ""); print at "\t" $0 }' | tr a-z A-Z | sort -s -t "	" -k1,1 > names.txt
  fatsort -l "$2" 2> /dev/null | awk '/^File system: / || $0 == "" { next } /^\// { at = $0; next } { print at "\t" $0 }' |
    tr a-z A-Z | sort -s -t "	" -k1,1 > oracle.txt
  [ -s names.txt ] || fail "$1: check lists no entry"
  same "$1: fatsort lists another order than check" oracle.txt names.txt
}

# A folder written out of order: two sub-folders among its files (Aside made after
# Disc 2), files deleted and others written into their slots, names that need long-name
# entries, Japanese names, ソ and 表 whose second byte is 0x5C in code page 932.
fill_folder() {  # image
  local i=$1
  folder "$i" MUSIC
  put "$i" "MUSIC/01 Morning.mp3" "MUSIC/02 Second track.mp3" "MUSIC/03 Noon.mp3" \
    "MUSIC/04 Fourth track.mp3" "MUSIC/05 Dusk.mp3" "MUSIC/10 Removed later.mp3"
  folder "$i" "MUSIC/Disc 2"
  put "$i" "MUSIC/cover.jpg" "MUSIC/09 夜.mp3"
  gone "$i" "MUSIC/02 Second track.mp3" "MUSIC/04 Fourth track.mp3"
  put "$i" "MUSIC/06 朝.mp3" "MUSIC/07.mp3" "MUSIC/ソング 夜明け前のとても長い曲の名前.mp3" \
    "MUSIC/表.mp3" "MUSIC/playlist.m3u"
  put "$i" "MUSIC/Disc 2/b.mp3" "MUSIC/Disc 2/a long name.mp3" "MUSIC/Disc 2/ソ.mp3"
  folder "$i" "MUSIC/Disc 2/ボーナス"
  put "$i" "MUSIC/Disc 2/ボーナス/2.mp3" "MUSIC/Disc 2/ボーナス/1.mp3" "MUSIC/Disc 2/c.mp3"
  gone "$i" "MUSIC/Disc 2/a long name.mp3"
  put "$i" "MUSIC/Disc 2/0.mp3"
  folder "$i" "MUSIC/Aside"
  put "$i" "MUSIC/Aside/z.mp3" "MUSIC/Aside/y.mp3" "MUSIC/08.mp3"
  gone "$i" "MUSIC/10 Removed later.mp3"
}
# A root in the same state, of more entries than a FAT32 cluster holds.
fill_root() {  # image
  local i=$1
  put "$i" b.mp3 "Old long name one.mp3" "ソング 長い名前の曲です.mp3"
  folder "$i" Music
  put "$i" Music/2.mp3 Music/1.mp3 a.mp3 $(seq -f 'track%02g.mp3' 12 -1 1)
  gone "$i" b.mp3 "Old long name one.mp3" track05.mp3
  put "$i" c.mp3 0.txt
  folder "$i" Album
  put "$i" Album/x.mp3 "Album/表紙.jpg" "z long name.mp3"
}

# Scenario 1, one machine: a folder with -r, the root of a FAT16 and of a FAT32 volume
# with -r; then each again, which must find every folder in order and write nothing.
new_image folder.img 16 && fill_folder folder.img
new_image root16.img 16 && fill_root root16.img
new_image root32.img 32 && fill_root root32.img
for i in folder root16 root32; do
  contents $i.img $i.before
  LC_ALL=ja_JP.UTF-8 "$cli" check -r $i.img > /dev/null 2>&1
  [ $? = 1 ] && pass || fail "$i.img is not out of order before the reorder"
done
cat > run1.sh << 'VM'
reorder() { for f in /mnt/MUSIC /mnt2 /mnt3; do sondrix-cli reorder -r $f; echo "status $?"; done; }
reorder
cd / && umount /mnt /mnt2 /mnt3 && md5sum /dev/vda /dev/vdb /dev/vdc > /sums
mount -t vfat -o $VFAT_OPTIONS /dev/vda /mnt && mount -t vfat -o $VFAT_OPTIONS /dev/vdb /mnt2 &&
  mount -t vfat -o $VFAT_OPTIONS /dev/vdc /mnt3 && reorder
umount /mnt /mnt2 /mnt3 && md5sum -c /sums
VM
start=$SECONDS
bash "$vm" "$cli" run1.sh folder.img root16.img root32.img > run1.txt 2>&1
status=$?
[ $status = 77 ] && { cat run1.txt; exit 77; }
echo "scenario 1: $((SECONDS - start)) s in the machine"
cat > run1.expected << 'EOF'
Z:\mnt\MUSIC\Aside  並べ替えました (2 項目を移動しました)
Z:\mnt\MUSIC\Disc 2\ボーナス  並べ替えました (2 項目を移動しました)
Z:\mnt\MUSIC\Disc 2  並べ替えました (5 項目を移動しました)
Z:\mnt\MUSIC  並べ替えました (13 項目を移動しました)
status 0
Z:\mnt2\Album  すでに順序どおりです
Z:\mnt2\Music  並べ替えました (2 項目を移動しました)
Z:\mnt2  並べ替えました (18 項目を移動しました)
status 0
Z:\mnt3\Album  すでに順序どおりです
Z:\mnt3\Music  並べ替えました (2 項目を移動しました)
Z:\mnt3  並べ替えました (18 項目を移動しました)
status 0
Z:\mnt\MUSIC\Aside  すでに順序どおりです
Z:\mnt\MUSIC\Disc 2\ボーナス  すでに順序どおりです
Z:\mnt\MUSIC\Disc 2  すでに順序どおりです
Z:\mnt\MUSIC  すでに順序どおりです
status 0
Z:\mnt2\Album  すでに順序どおりです
Z:\mnt2\Music  すでに順序どおりです
Z:\mnt2  すでに順序どおりです
status 0
Z:\mnt3\Album  すでに順序どおりです
Z:\mnt3\Music  すでに順序どおりです
Z:\mnt3  すでに順序どおりです
status 0
/dev/vda: OK
/dev/vdb: OK
/dev/vdc: OK
EOF
same "scenario 1: the machine's log (status $status)" run1.expected run1.txt
# Every folder in order with no deleted slot before its last entry; the root keeps only
# the slot of the holder its entries came back behind. The roots of FAT16 and FAT32 end
# alike.
cat > folder.expected << 'EOF'
\  のディスク上の順序
CARD  <ボリュームラベル>
MUSIC  <フォルダー>
<削除済み 3 枠>
mp3 ファイルはありません (最後の項目より前の削除済みの枠: 0 個)
\MUSIC  のディスク上の順序
01 Morning.mp3
03 Noon.mp3
05 Dusk.mp3
06 朝.mp3
07.mp3
08.mp3
09 夜.mp3
cover.jpg
playlist.m3u
ソング 夜明け前のとても長い曲の名前.mp3
表.mp3
Aside  <フォルダー>
Disc 2  <フォルダー>
9 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)
\MUSIC\Aside  のディスク上の順序
y.mp3
z.mp3
2 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)
\MUSIC\Disc 2  のディスク上の順序
0.mp3
b.mp3
c.mp3
ソ.mp3
ボーナス  <フォルダー>
4 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)
\MUSIC\Disc 2\ボーナス  のディスク上の順序
1.mp3
2.mp3
2 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)
EOF
{
  printf '%s\n' '\  のディスク上の順序' 'CARD  <ボリュームラベル>' '<削除済み 1 枠>' 0.txt a.mp3 c.mp3
  seq -f 'track%02g.mp3' 1 12 | grep -v track05
  printf '%s\n' 'z long name.mp3' 'ソング 長い名前の曲です.mp3' 'Album  <フォルダー>' 'Music  <フォルダー>' \
    '15 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 1 個)' \
    '\Album  のディスク上の順序' x.mp3 表紙.jpg '1 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)' \
    '\Music  のディスク上の順序' 1.mp3 2.mp3 '2 個のファイルは順序どおりです (最後の項目より前の削除済みの枠: 0 個)'
} > root16.expected
cp root16.expected root32.expected
for i in folder root16 root32; do
  LC_ALL=ja_JP.UTF-8 "$cli" check -r $i.img > $i.check 2>&1
  got=$?
  [ $got = 0 ] && pass || fail "check -r $i.img: status $got after the reorder"
  same "check -r $i.img after the reorder" $i.expected $i.check
  orders_agree "$i.img" $i.img
  contents $i.img $i.after
  same "$i.img: the files and folders after the reorder" $i.before $i.after
done

# Scenario 2, one machine: runs stopped part-way, by termination (the tool stops after
# the current rename, says so and exits 1) and then by SIGKILL, are finished by the
# next run; the result equals that of one run on a copy made before. A folder with a
# sub-folder, and a root whose entries are stopped once on their way out and once on
# their way back.
mkdir reversed && (cd reversed &&
  for n in $(seq 200); do head -c $((RANDOM % 1500)) /dev/urandom > "$(printf 'track%03d.mp3' $n)"; done &&
  for n in $(seq 20); do head -c $((RANDOM % 1500)) /dev/urandom > "Long name number $n.mp3"; done)
# mcopy writes them in the order given: the reverse of theirs.
fill_reversed() {  # image, folder in the image ("" for the root)
  local names
  mapfile -t names < <(cd reversed && ls -r)
  (cd reversed && mcopy -i "../$1" "${names[@]}" "::/$2") 2> /dev/null || fail "mcopy into $1"
}
new_image big.img 16 && folder big.img BIG BIG/sub && fill_reversed big.img BIG &&
  put big.img BIG/sub/2.mp3 BIG/sub/1.mp3
new_image rootbig.img 16 && fill_reversed rootbig.img "" && folder rootbig.img Music &&
  put rootbig.img Music/b.mp3 Music/a.mp3
cp big.img big-once.img && cp rootbig.img rootbig-once.img
contents big.img big.before && contents rootbig.img rootbig.before
cat > run2.sh << 'VM'
# Runs the command in the background and sends the signal once the folder holds at least
# (-ge) or at most (-le) that many entries; prints the run's status.
stop_when() {  # signal, folder, -ge or -le, count, command...
  signal=$1 folder=$2 test=$3 count=$4
  shift 4
  "$@" > /run.log 2>&1 &
  pid=$!
  while kill -0 $pid 2> /dev/null; do
    if [ -d "$folder" ] && [ "$(ls "$folder" 2> /dev/null | wc -l)" $test $count ]; then
      kill -$signal $pid
      break
    fi
    usleep 20000
  done
  wait $pid 2> /dev/null
  echo "status $?"
  grep -c 中断しました /run.log
}
stop_when TERM /mnt/BIG.sondrix-reorder -ge 60 sondrix-cli reorder -r /mnt/BIG
stop_when KILL /mnt/BIG.sondrix-reorder -ge 150 sondrix-cli reorder -r /mnt/BIG
sondrix-cli reorder -r /mnt/BIG > /dev/null; echo "status $?"
sondrix-cli reorder -r /mnt2/BIG > /dev/null; echo "status $?"
stop_when TERM /mnt3/sondrix-reorder -ge 100 sondrix-cli reorder -r /mnt3
stop_when KILL /mnt3/SONDRIX.TMP/sondrix-reorder -le 120 sondrix-cli reorder -r /mnt3
sondrix-cli reorder -r /mnt3 > /dev/null; echo "status $?"
sondrix-cli reorder -r /mnt4 > /dev/null; echo "status $?"
VM
start=$SECONDS
bash "$vm" "$cli" run2.sh big.img big-once.img rootbig.img rootbig-once.img > run2.txt 2>&1
status=$?
echo "scenario 2: $((SECONDS - start)) s in the machine"
printf '%s\n' "status 1" 1 "status 137" 0 "status 0" "status 0" "status 1" 1 "status 137" 0 \
  "status 0" "status 0" > run2.expected
same "scenario 2: the machine's log (status $status)" run2.expected run2.txt
for i in big rootbig; do
  LC_ALL=ja_JP.UTF-8 "$cli" check -r $i.img > $i.check 2>&1
  got=$?
  [ $got = 0 ] && pass || fail "check -r $i.img: status $got after the stopped runs"
  LC_ALL=ja_JP.UTF-8 "$cli" check -r $i-once.img > $i-once.check 2>&1
  same "$i.img: check after the stopped runs and after one run" $i-once.check $i.check
  orders_agree "$i.img" $i.img
  contents $i.img $i.after
  same "$i.img: the files and folders after the stopped runs" $i.before $i.after
done
# Deleted slots before the last entry, folder by folder: none, but the root's holder.
slots() { sed -n 's/.*(最後の項目より前の削除済みの枠: \([0-9]*\) 個)$/\1/p' "$1" | tr '\n' ' '; }
[ "$(slots big.check)" = "0 0 0 " ] && pass || fail "big.img: deleted slots before the last entry: $(slots big.check)"
[ "$(slots rootbig.check)" = "1 0 " ] && pass || fail "rootbig.img: deleted slots before the last entry: $(slots rootbig.check)"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
