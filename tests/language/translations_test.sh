#!/usr/bin/env bash
# Every translation lists every tr() text of the desktop program's sources,
# each with its translation. A text added to the sources fails here until
# the translations are brought up to date (the update_translations target)
# and the new entries translated.
# Usage: translations_test.sh LUPDATE SOURCES INCLUDE_ROOT TRANSLATIONS_DIR
set -uo pipefail
lupdate=$1 sources=$2 includes=$3 translations=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ts in "$translations"/varnelo_*.ts; do
  copy=$work/$(basename "$ts")
  cp "$ts" "$copy"
  "$lupdate" -silent -source-language ja -locations none -no-obsolete $(printf -- '-I %s ' "$includes"/*) \
    "$sources" -ts "$copy" || exit 1
  if ! cmp -s "$ts" "$copy"; then
    echo "FAIL: $ts is not up to date with the sources (build the update_translations target):"
    diff "$ts" "$copy" | head -n 40
    status=1
  fi
  if grep -q 'type="unfinished"' "$copy"; then
    echo "FAIL: $ts has texts without a translation:"
    grep -B1 'type="unfinished"' "$copy" | grep '<source>'
    status=1
  fi
done
exit $status
