#!/usr/bin/env bash
# Copies the bundled sample music into a fresh folder with the command-line tool and
# shows the log, as a user would run it.
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
demo=$(mktemp -d "$root/build/demo-XXXXXX")
cd "$demo"
cp -r "$root/samples/music" "music"
mkdir "stick"
echo "== sondrix-cli sort --recursive music stick   (in $demo)"
"$cli" sort --recursive music stick
echo "(exit status $?)"
echo
cp "$root/samples/playlist.wpl" .
mkdir "stick2"
echo "== sondrix-cli list playlist.wpl stick2"
"$cli" list playlist.wpl stick2
echo "(exit status $?: the playlist names a missing file; Rock & Roll, written with an entity, is copied)"
echo
cp "$root/samples/playlist.m3u8" .
mkdir "stick3"
echo "== sondrix-cli list playlist.m3u8 stick3"
"$cli" list playlist.m3u8 stick3
echo "(exit status $?: the same songs from an M3U8 playlist; its stream and .m4a entries are skipped)"
echo
echo "== what the sticks hold now:"
find stick stick2 stick3 -print | sort | sed 's/^/  /'
