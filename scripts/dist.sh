#!/usr/bin/env bash
# Makes a release archive, named after the version in the file VERSION.
#   dist.sh windows BINDIR OUTDIR   sondrix-VERSION-win64.zip from a Windows build's bin/
#   dist.sh linux BUILDDIR OUTDIR   sondrix-VERSION-linux-x86_64.tar.gz from a native build
# Prints the archive's path.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(head -n 1 "$top/VERSION")
kind=$1 from=$2 out=$3
mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The read-me as Notepad on Japanese Windows opens it: code page 932, CR LF.
windowsReadme() {
  sed "s/@VERSION@/$version/" "$top/res/readme.txt" | iconv -f UTF-8 -t CP932 | sed 's/$/\r/'
}

case $kind in
  windows)
    archive=$out/sondrix-$version-win64.zip
    # Without the symbols: a third of the size.
    for exe in sondrix.exe sondrix-cli.exe; do
      x86_64-w64-mingw32-strip -o "$stage/$exe" "$from/$exe"
    done
    cp "$top/res/help.html" "$stage/"
    windowsReadme > "$stage/readme.txt"
    rm -f "$archive"
    (cd "$stage" && zip -q -X "$archive" sondrix.exe sondrix-cli.exe help.html readme.txt)
    ;;
  linux)
    name=sondrix-$version-linux-x86_64
    archive=$out/$name.tar.gz
    DESTDIR="$stage/$name" cmake --install "$from" --prefix / --strip >/dev/null
    tar -C "$stage" --owner=0 --group=0 --sort=name -czf "$archive" "$name"
    ;;
  *)
    echo "usage: dist.sh windows|linux FROM OUTDIR" >&2
    exit 2
    ;;
esac
echo "$archive"
