#!/usr/bin/env bash
# The files a desktop and a software centre read, as their own checkers see
# them: any error, warning or note from a checker fails.
# Usage: metadata_test.sh PACKAGING_DIR PROJECT_VERSION
set -uo pipefail
dir=$1 version=$2
status=0
fail() { echo "FAIL: $*"; status=1; }

for f in "$dir"/*.metainfo.xml; do
  # --strict fails on anything above the pedantic level; --no-net: the
  # screenshot's address is checked by the software centre, not here.
  appstreamcli validate --strict --no-net "$f" || fail "appstreamcli on $f"
  # The newest release is the version being built.
  newest=$(grep -o '<release version="[^"]*"' "$f" | head -n 1 | cut -d'"' -f2)
  [ "$newest" = "$version" ] || fail "$f: newest release $newest, project version $version"
done

for f in "$dir"/*.desktop; do
  out=$(desktop-file-validate "$f" 2>&1)
  [ -z "$out" ] || fail "desktop-file-validate on $f: $out"
done
exit $status
