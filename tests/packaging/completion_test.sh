#!/usr/bin/env bash
# The bash completion of varnelo-cli, sourced as bash-completion does, against
# the built program: what a Tab offers after a few typical command lines.
# Usage: completion_test.sh VARNELO_CLI COMPLETION_FILE
set -uo pipefail
shopt -s extglob
PATH=$(cd "$(dirname "$1")" && pwd):$PATH
source "$2"
cd "$(mktemp -d)" || exit 1
touch field.vrnldata other.vrnldata heads.csv out.csv notes.txt chart.png walk.gpx walk.geojson
mkdir folder
status=0

# command line up to the cursor | offered (all of them) | not offered
cases=(
  "varnelo-cli |list export plot download help --version|field.vrnldata"
  "varnelo-cli ex|export|list"
  "varnelo-cli help up|upload-sensor|"
  "varnelo-cli list |field.vrnldata other.vrnldata folder|heads.csv notes.txt"
  "varnelo-cli sensors |heads.csv out.csv|field.vrnldata"
  "varnelo-cli export field.vrnldata --|--output --mode --limit --help|--port --record"
  "varnelo-cli export field.vrnldata -o |out.csv heads.csv|field.vrnldata notes.txt"
  "varnelo-cli export field.vrnldata --mode |2ch reflectance|"
  "varnelo-cli track field.vrnldata -o |walk.gpx walk.geojson|out.csv"
  "varnelo-cli plot field.vrnldata --output |chart.png|notes.txt"
  "varnelo-cli download --sim -o |field.vrnldata|out.csv"
  "varnelo-cli download --|--port --sim --records --keep-partial --output|--mode"
  "varnelo-cli upload-sensor --channel |1 2|"
  "varnelo-cli upload-sensor --settings |heads.csv|field.vrnldata"
  "varnelo-cli info --port fol|folder|"
  "varnelo-cli download --sim --trace|--trace --trace-full|"
  "varnelo-cli info --trace no|notes.txt|"
  "varnelo-cli bands field.vrnldata --sensor |s2a l8|"
  "varnelo-cli library field.vrnldata --|--smooth --derivative --mean --sky-change --output|--sensor"
  "varnelo-cli netcdf field.vrnldata --|--utc-offset --panel --panel-reflectance --max-zenith --saturation|--mean"
)
for case in "${cases[@]}"; do
  IFS='|' read -r line offered absent <<<"$case"
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _varnelo_cli
  got=" ${COMPREPLY[*]} "
  for word in $offered; do [[ $got == *" $word "* ]] || { echo "FAIL: '$line' does not offer $word: $got"; status=1; }; done
  for word in $absent; do [[ $got != *" $word "* ]] || { echo "FAIL: '$line' offers $word: $got"; status=1; }; done
done
exit $status
