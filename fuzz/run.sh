#!/usr/bin/env bash
# Builds the FAT and exFAT readers' fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it. Only the sources it needs are compiled:
# clang has no code page 932 execution character set, and these hold no Japanese text.
# Usage: fuzz/run.sh [SECONDS]   (default 60). Findings land in the working folder.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root/app/engine" -I"$root/lib/posix" -I"$root/lib/posix/include" \
  "$root/fuzz/fatFuzz.cpp" "$root"/app/engine/{fatVolume,fatDirectory,fatFolderSource}.cpp \
  "$root"/app/engine/{exfatVolume,exfatDirectory,exfatUpcase}.cpp \
  "$root"/app/engine/{folderSource,folderClusters,clusterChain}.cpp \
  "$root/app/engine/folderOrder.cpp" "$root/app/engine/nameOrder.cpp" \
  "$root/lib/posix/posixCodePage.cpp" "$root/lib/posix/posixText.cpp" \
  "$root/lib/posix/posixError.cpp" -o "$out/fatFuzz"
# Seeds: a FAT12 and a FAT16 volume with a sub-folder, a long name and a deleted file,
# trailing zeros cut off (the target reads them back as zeros).
if command -v mkfs.fat > /dev/null && command -v mcopy > /dev/null; then
  seed=$(mktemp -d)
  trap 'rm -rf "$seed"' EXIT
  printf x > "$seed/a.mp3" && printf y > "$seed/Long name 2.mp3" && printf z > "$seed/b.mp3"
  for fat in 12:64 16:2100; do
    img=$seed/seed${fat%%:*}.img
    mkfs.fat -F "${fat%%:*}" -s 1 -f 1 -C "$img" "${fat#*:}" > /dev/null
    MTOOLS_SKIP_CHECK=1 mmd -i "$img" ::/sub && MTOOLS_SKIP_CHECK=1 mcopy -i "$img" \
      "$seed/a.mp3" "$seed/b.mp3" "$seed/Long name 2.mp3" ::/sub/ &&
      MTOOLS_SKIP_CHECK=1 mdel -i "$img" ::/sub/a.mp3
    perl -0777 -pe 's/\0+\z//' "$img" > "$out/corpus/seed${fat%%:*}.img"
  done
fi
# An empty exFAT volume with 512-byte clusters and a label (exfatprogs writes without
# mounting only empty volumes); its tables lie within the first 64 KiB read as input.
if command -v mkfs.exfat > /dev/null; then
  img=$(mktemp)
  truncate -s 2M "$img" && mkfs.exfat -c 512 -b 4K -L CARD "$img" > /dev/null &&
    head -c 65536 "$img" | perl -0777 -pe 's/\0+\z//' > "$out/corpus/seedExfat.img"
  rm -f "$img"
fi
"$out/fatFuzz" -max_total_time="${1:-60}" -max_len=65536 -print_final_stats=1 "$out/corpus"
