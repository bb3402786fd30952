#!/usr/bin/env bash
# The Japanese catalog against the sources, with the gettext tools translators use: every
# message the tool asks for (tr("...")) is translated, no entry is left over, and each
# translation takes the same printf arguments as its message (a mismatch would read the
# wrong argument at run time).
# Usage: catalogTest.sh (needs xgettext, msgmerge, msgcmp and msgfmt: package gettext)
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$top/tests/support/checks.sh"

xgettext --from-code=UTF-8 -L C++ --keyword= --keyword=tr -o "$work/cli.pot" "$top"/cli/*.cpp
check "messages found in the sources" [ "$(grep -c '^msgid ' "$work/cli.pot")" -ge 40 ]
check "every message translated" msgcmp "$top/po/ja.po" "$work/cli.pot"
check "no entry without its message" msgcmp --use-untranslated "$work/cli.pot" "$top/po/ja.po"
# The formats as the sources mark them, whatever the catalog's own flags say.
msgmerge -q --no-fuzzy-matching -o "$work/merged.po" "$top/po/ja.po" "$work/cli.pot"
check "translations keep the printf arguments" msgfmt --check -o /dev/null "$work/merged.po"
check "the catalog itself is valid" msgfmt --check -o /dev/null "$top/po/ja.po"

finish
