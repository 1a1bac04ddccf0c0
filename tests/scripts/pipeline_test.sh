#!/usr/bin/env bash
# Runs the pipeline in a fresh folder and checks what it left there.
set -euo pipefail
pipeline=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$pipeline" > pipeline.log 2>&1 || { cat pipeline.log; echo "the pipeline failed"; exit 1; }

out=build/run
fail() { cat pipeline.log; echo "$1"; exit 1; }
grep -qx "PORT $work/$out/logger" pipeline.log || fail "simulate did not print the absolute port path"
[ "$(wc -l < "$out/records.txt")" -eq 300 ] || fail "list did not give 300 records"
for csv in logger-2ch.csv logger-reflectance.csv; do
  [ "$(wc -l < "$out/$csv")" -eq 301 ] || fail "$csv does not hold a header and 300 lines"
done
for png in charts.png charts-limit.png; do
  [ "$(head -c 8 "$out/$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
done
[ "$(grep -c '<trkpt ' "$out/track.gpx")" -gt 0 ] || fail "the GPX track has no points"
grep -q '"LineString"' "$out/track.geojson" || fail "the GeoJSON track has no line"
echo "pipeline: every output is there"
