#!/usr/bin/env bash
# The Debian package as Debian's own checker sees it: built with cpack from
# this build, then lintian, which must report no error and no warning. The
# package must also carry what a desktop and a shell look for, and depend on
# the Qt libraries the programs link (computed by dpkg-shlibdeps).
# Usage: deb_test.sh BUILD_DIR
set -uo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"
  exit 1
}
deb=$(ls "$work"/*.deb)

# lintian refuses nothing when run as root, but says so; that line is no finding.
findings=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian reports errors or warnings"
grep -v 'running with root privileges' <<<"$findings"

contents=$(dpkg-deb -c "$deb")
for path in usr/bin/varnelo usr/bin/varnelo-cli usr/libexec/varnelo/varnelo-cli-plot \
  usr/share/applications/varnelo.desktop usr/share/metainfo/org.varnelo.Varnelo.metainfo.xml \
  usr/share/mime/packages/varnelo.xml usr/share/man/man1/varnelo.1.gz usr/share/man/man1/varnelo-cli.1.gz \
  usr/share/bash-completion/completions/varnelo-cli usr/share/doc/varnelo/copyright \
  usr/lib/udev/rules.d/60-varnelo.rules; do
  grep -q " \./$path\$" <<<"$contents" || fail "the package lacks /$path"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6serialport6 libc6; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
exit $status
