#!/usr/bin/env bash
# What a user downloads or installs, checked as built.
#   distTest.sh linux
#       make install DESTDIR=... PREFIX=..., the Linux archive, the manual page
#   distTest.sh windows BINDIR E2E-EXE
#       manifest and version resource read back from the executables; the zip's files,
#       its read-me, and its programs run under Wine
set -u
export LC_ALL=C.UTF-8  # characters, not bytes, in read, grep and sed
top=$(cd "$(dirname "$0")/../.." && pwd)
version=$(head -n 1 "$top/VERSION")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$top/tests/support/checks.sh"

same() { [ "$1" = "$2" ] || { printf '  got:      %s\n  expected: %s\n' "$1" "$2"; false; }; }

# A program that runs: its version, and a sorted copy of the samples.
runsTool() {  # label, encoding of its log, command...
  local label=$1 encoding=$2
  shift 2
  local out
  out=$(mktemp -d "$work/run.XXXX")
  mkdir "$out/dest" && cp -r "$top/samples/music" "$out/music"
  check "$label --version" same "$("$@" --version)" "sondrix-cli $version"
  (cd "$out" && "$@" sort music dest > log.txt)
  check "$label sort status" same "$?" 0
  check "$label sort log" same "$(tail -n 1 "$out/log.txt" | iconv -f "$encoding" -t UTF-8)" \
    "--- 処理は終了しました ---"
  check "$label copied files" same "$(ls "$out/dest" | wc -l)" 6
}

# A manual page renders without warnings and names every command and option of the usage
# in its language, its sections, and every log line.
manPage() {  # installed page, tool, source page under docs/, locale, section names...
  local page=$1 tool=$2 source=$3 locale=$4 text=$work/man.txt
  shift 4
  check "plain groff renders the installed $source without warnings" \
    same "$(groff -man -ww -Tutf8 "$page" 2>&1 >"$text")" ""
  check "man's pipeline (preconv) renders docs/$source without warnings" \
    same "$(groff -k -man -ww -Tutf8 "$top/docs/$source" 2>&1 >/dev/null)" ""
  sed -i 's/.\x08//g' "$text"
  local usage words
  usage=$(LC_ALL=$locale "$tool" 2>&1 >/dev/null)
  words=$(printf '%s\n' "$usage" | sed -n 's/^.*sondrix-cli \([a-z]\+\).*$/\1/p'
          printf '%s\n' "$usage" | grep -oE -- '[[| ]--?[a-z][-a-z]*' | cut -c2-
          echo --version | sort -u)
  check "usage text found" [ "$(printf '%s\n' "$words" | wc -l)" -ge 5 ]
  for word in $words; do
    check "$source documents $word" grep -qF -- "$word" "$text"
  done
  local section
  for section in "$@"; do
    check "$source has $section" grep -qF "$section" "$text"
  done
  # Each fixed piece of the copy engine's log lines (format strings split at % fields).
  local pieces
  pieces=$(cat "$top"/app/engine/copyEngine.cpp "$top"/app/engine/copyPlaylist.cpp |
           grep -o '"[^"]*[^ -~"][^"]*"' | tr -d '"' | sed 's/%[a-z]/\n/g' |
           sed 's/^ *//; s/ *$//' | grep -v '^$' | sort -u)
  check "engine log lines found" [ "$(printf '%s\n' "$pieces" | wc -l)" -ge 10 ]
  while IFS= read -r piece; do
    check "$source documents log text '$piece'" grep -qF -- "$piece" "$text"
  done <<< "$pieces"
}

manPages() {  # installation prefix
  manPage "$1/share/man/man1/sondrix-cli.1" "$1/bin/sondrix-cli" sondrix-cli.1 C.UTF-8 \
    "EXIT STATUS" EXAMPLES FILES "THE LOG OF SORT AND LIST" "THE OUTPUT OF CHECK" ENVIRONMENT
  manPage "$1/share/man/ja/man1/sondrix-cli.1" "$1/bin/sondrix-cli" ja/sondrix-cli.1 ja_JP.UTF-8 \
    終了ステータス 例 ファイル "SORT と LIST のログ" "CHECK の出力" 環境変数
}

linuxTests() {
  local stage=$work/stage prefix=/opt/sondrix-test
  # A make of its own, not a part of the make that runs the tests.
  env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL make -s -C "$top" install DESTDIR="$stage" PREFIX="$prefix" > "$work/make.log" 2>&1
  check "make install" same "$?" 0 || { tail -n 30 "$work/make.log"; return; }
  check "make install puts exactly the tool and its pages under PREFIX" \
    same "$(cd "$stage" && find . ! -type d | sort | tr '\n' ' ')" \
         "./opt/sondrix-test/bin/sondrix-cli ./opt/sondrix-test/share/man/ja/man1/sondrix-cli.1 ./opt/sondrix-test/share/man/man1/sondrix-cli.1 "
  check "installed tool is executable" [ -x "$stage$prefix/bin/sondrix-cli" ]
  runsTool "installed" UTF-8 "$stage$prefix/bin/sondrix-cli"
  manPages "$stage$prefix"

  local name=sondrix-$version-linux-x86_64 archive
  archive=$(bash "$top/scripts/dist.sh" linux "$top/build/release" "$work/dist")
  check "Linux archive name" same "$archive" "$work/dist/$name.tar.gz"
  check "Linux archive holds exactly the tool and its pages" \
    same "$(tar -tzf "$archive" | grep -v '/$' | sort | tr '\n' ' ')" \
         "$name/bin/sondrix-cli $name/share/man/ja/man1/sondrix-cli.1 $name/share/man/man1/sondrix-cli.1 "
  mkdir "$work/unpacked" && tar -C "$work/unpacked" -xzf "$archive"
  runsTool "archived" UTF-8 "$work/unpacked/$name/bin/sondrix-cli"
}

# The resources of one executable, decompiled.
resources() { x86_64-w64-mingw32-windres -i "$1" -O rc; }

# The embedded manifest, as its XML text.
manifestOf() {
  resources "$1" | sed -n '/RT_MANIFEST/,/^END/p' | sed -n 's/^  "\(.*\)"$/\1/p' |
    sed 's/""/"/g; s/\\n$//'
}

# Text as windres prints a UTF-16 string: \x escapes for what is not ASCII.
utf16Escapes() {
  local text=$1 out="" char
  while IFS= read -r -n 1 char; do
    [ -z "$char" ] && continue
    if [[ $char == [\ -~] ]]; then
      out+=$char
    else
      out+=$(printf '%s' "$char" | iconv -f UTF-8 -t UTF-16BE | od -An -tx1 |
             tr -d ' \n' | sed 's/^0*/\\x/')
    fi
  done <<< "$text"
  printf '%s' "$out"
}

versionValue() {  # rc text, key
  printf '%s\n' "$1" | sed -n "s/^ *VALUE \"$2\", L\?\"\(.*\)\"$/\1/p"
}

executableResources() {  # exe, its resource script
  local exe=$1 name rc xml numbers description
  name=$(basename "$exe")
  rc=$(resources "$exe")
  xml=$(mktemp "$work/manifest.XXXX")
  manifestOf "$exe" > "$xml"
  check "$exe: manifest is well-formed XML" xmllint --noout "$xml"
  local xpath
  for xpath in \
    "//*[local-name()='requestedExecutionLevel'][@level='asInvoker'][@uiAccess='false']" \
    "//*[local-name()='assemblyIdentity'][@name='Microsoft.Windows.Common-Controls'][@version='6.0.0.0']" \
    "//*[local-name()='dpiAware'][normalize-space()='true']" \
    "//*[local-name()='dpiAwareness'][starts-with(normalize-space(), 'PerMonitorV2')]" \
    "//*[local-name()='supportedOS'][@Id='{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}']"; do
    check "$exe: manifest has $xpath" same "$(xmllint --xpath "count($xpath)" "$xml")" 1
  done
  numbers="$(echo "$version" | sed 's/\./, /g'), 0"
  check "$exe: FILEVERSION" grep -qx " FILEVERSION $numbers" <<< "$rc"
  check "$exe: PRODUCTVERSION" grep -qx " PRODUCTVERSION $numbers" <<< "$rc"
  check "$exe: FileVersion" same "$(versionValue "$rc" FileVersion)" "$version"
  check "$exe: ProductVersion" same "$(versionValue "$rc" ProductVersion)" "$version"
  check "$exe: ProductName" same "$(versionValue "$rc" ProductName)" Sondrix
  check "$exe: OriginalFilename" same "$(versionValue "$rc" OriginalFilename)" "$name"
  check "$exe: copyright line" grep -q '^Copyright (C) 20' <<< "$(versionValue "$rc" LegalCopyright)"
  description=$(sed -n 's/^#define PROGRAM_DESCRIPTION "\(.*\)"$/\1/p' "$2")
  check "$exe: Japanese FileDescription" \
    same "$(versionValue "$rc" FileDescription)" "$(utf16Escapes "$description")"
  check "$exe: Japanese, UTF-16 translation" grep -qx '    VALUE "Translation", 0x411, 1200' <<< "$rc"
}

windowsTests() {
  local bin=$1 e2e=$2 wine=$top/scripts/wineRun.sh
  local archive files=$work/zip
  archive=$(bash "$top/scripts/dist.sh" windows "$bin" "$work/dist")
  check "zip name" same "$archive" "$work/dist/sondrix-$version-win64.zip"
  check "zip holds exactly the listed files" \
    same "$(unzip -Z1 "$archive" | sort | tr '\n' ' ')" "help.html readme.txt sondrix-cli.exe sondrix.exe "
  unzip -q "$archive" -d "$files"

  # Built and shipped (stripped) alike.
  local dir
  for dir in "$bin" "$files"; do
    executableResources "$dir/sondrix.exe" "$top/res/sondrixInfo.rc"
    executableResources "$dir/sondrix-cli.exe" "$top/res/cliInfo.rc"
  done
  check "sondrix.exe keeps its dialog and icon" same \
    "$(resources "$files/sondrix.exe" | grep -E '^"MAINDIALOG" DIALOG|^CAPTION|^"MAINICON" 14')" \
    $'"MAINDIALOG" DIALOG 0, 0, 220, 280\nCAPTION "Sondrix ver.1.0 2012/08/19"\n"MAINICON" 14 /* RT_GROUP_ICON */'

  check "zipped help page" cmp -s "$files/help.html" "$top/res/help.html"
  local readme=$files/readme.txt
  check "read-me: every line ends in CR LF" same "$(grep -c $'\r$' "$readme")" "$(wc -l < "$readme")"
  check "read-me: code page 932 text of the source" \
    same "$(iconv -f CP932 -t UTF-8 "$readme" | tr -d '\r')" "$(sed "s/@VERSION@/$version/" "$top/res/readme.txt")"

  runsTool "zipped sondrix-cli.exe" CP932 timeout 120 "$wine" "$files/sondrix-cli.exe"
  # The program from the zip starts, opens its help page, runs a job and closes.
  timeout 300 "$wine" "$e2e" "$files/sondrix.exe" "$files/sondrix-cli.exe" \
    --gtest_filter='Sondrix.HelpOpensThePageBesideTheProgram:SondrixJobs.*' > "$work/e2e.log" 2>&1
  check "zipped sondrix.exe under Wine" same "$?" 0 || tail -n 30 "$work/e2e.log"
}

case ${1:-} in
  linux) linuxTests ;;
  windows) windowsTests "$2" "$3" ;;
  *) echo "usage: distTest.sh linux | windows BINDIR E2E-EXE" >&2; exit 2 ;;
esac
finish
