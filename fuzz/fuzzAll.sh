#!/usr/bin/env bash
# Builds the libFuzzer targets over the library and the copy engine with clang
# (AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for SECONDS (default 180).
# clang has no code page 932 execution character set: it compiles copies of the sources
# whose Japanese literals are rewritten as code page 932 byte escapes (escapeLiterals.py),
# so the sources stay as they are. Seeds come from fuzz/corpus/NAME, dictionaries from
# fuzz/NAME.dict; the growing corpus and any finding stay in build/fuzz-targets/.
# Usage: fuzz/fuzzAll.sh [SECONDS]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-180}
out=$root/build/fuzz-targets
src=$out/src
jobs=2
targets="kanjiFuzz lineFuzz argsFuzz pathFuzz profileFuzz playlistFuzz m3uFuzz"
flags=(-std=c++17 -g -O1 -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
mkdir -p "$out/obj" "$src"

# The escaped copies, refreshed only where a source changed.
sources=()
for file in "$root"/lib/base/*.cpp "$root"/lib/files/*.cpp "$root"/lib/text/*.cpp \
            "$root"/lib/posix/*.cpp "$root"/app/engine/*.cpp \
            "$root"/lib/{base,files,text,posix}/*.h "$root"/lib/posix/include/*.h \
            "$root"/app/engine/*.h; do
  copy=$src/${file#"$root"/}
  mkdir -p "$(dirname "$copy")"
  if [ ! -e "$copy" ] || [ "$file" -nt "$copy" ]; then
    python3 "$root/fuzz/escapeLiterals.py" "$file" "$copy"
  fi
  case $file in *.cpp) sources+=("$copy") ;; esac
done
includes=(-I"$src/lib/base" -I"$src/lib/files" -I"$src/lib/text" -I"$src/lib/posix/include"
          -I"$src/lib/posix" -I"$src/app/engine")

# The library objects, with coverage for the fuzzer but without its main().
printf '%s\n' "${sources[@]}" | xargs -P "$jobs" -I{} sh -c '
  obj="$0/obj/$(echo "$1" | sed "s|^$2/||; s|/|_|g").o"
  [ -e "$obj" ] && [ "$obj" -nt "$1" ] && exit 0
  clang++ '"${flags[*]}"' -fsanitize=fuzzer-no-link,address,undefined '"${includes[*]}"' \
    -c "$1" -o "$obj"' "$out" {} "$src"
rm -f "$out/libfuzzed.a"
ar rcs "$out/libfuzzed.a" "$out"/obj/*.o

for target in $targets; do
  clang++ "${flags[@]}" -fsanitize=fuzzer,address,undefined "${includes[@]}" \
    "$root/fuzz/$target.cpp" "$out/libfuzzed.a" -lpthread -ldl -o "$out/$target"
done

for target in $targets; do
  corpus=$out/corpus/$target
  mkdir -p "$corpus" "$out/findings"
  dict=()
  [ -e "$root/fuzz/$target.dict" ] && dict=(-dict="$root/fuzz/$target.dict")
  echo "== $target, $seconds s"
  status=0
  scratch=$(mktemp -d)  # the files a target writes, removed after its run
  (cd "$out/findings" && TMPDIR=$scratch "$out/$target" -max_total_time="$seconds" -max_len=8192 -timeout=20 \
    -print_final_stats=1 "${dict[@]}" "$corpus" "$root/fuzz/corpus/$target") \
    > "$out/$target.log" 2>&1 || status=$?
  rm -rf "$scratch"
  grep -E "^(stat::number_of_executed_units|stat::average_exec_per_sec|SUMMARY|==[0-9]+==ERROR)" \
    "$out/$target.log" || true
  [ "$status" -eq 0 ] || { echo "$target found a fault: $out/$target.log, $out/findings"; exit 1; }
done
