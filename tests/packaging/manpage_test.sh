#!/usr/bin/env bash
# The manual pages describe every option the programs' help lists, each in
# the part of the page where a reader of that command looks: the command's
# own subsection, or a section of shared options that the subsection names.
# An option added to a program without a line in its page fails here.
# Usage: manpage_test.sh VARNELO VARNELO_CLI MAN_DIR
set -uo pipefail
varnelo=$1 cli=$2 man=$3
status=0
fail() { echo "FAIL: $*"; status=1; }

# The page as plain text: "\-" is "-", font changes dropped.
plain() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$1"; }

# The text of the section or subsection whose heading line is exactly $2
# (".SH NAME" or ".SS name"), up to the next heading.
section() {
  awk -v head="$2" '
    /^\.S[HS] / { inside = ($0 == head); next }
    inside' <<<"$1"
}

# A subsection with the sections of shared options it names in its text.
named_once() {
  local page=$1 text=$2 title
  printf '%s\n' "$text"
  while IFS= read -r title; do
    grep -qF -- "$title" <<<"$text" && section "$page" ".SH $title"
  done < <(sed -n 's/^\.SH \(.*OPTIONS\)$/\1/p' <<<"$page")
}
# ... and those that these name in turn (the logger's options name the simulator's).
with_named_sections() { named_once "$1" "$(named_once "$1" "$2")"; }

# The options of a Qt help text: the first column of its option lines.
help_options() {
  sed -n 's/^ \{1,\}\(-[^ ].*\)$/\1/p' | sed 's/  .*//' | grep -oE -- '--?[A-Za-z][A-Za-z0-9-]*' | sort -u
}

# An option is described where it is the tag of an indented paragraph
# (the line after ".TP"), not merely named in a synopsis or in prose.
tags() { awk 'tag { print; tag = 0 } /^\.TP/ { tag = 1 }'; }

check() {  # what, options (one a line), text
  local what=$1 options=$2 text option
  text=$(tags <<<"$3")
  [ -n "$options" ] || fail "$what: its help lists no option"
  while IFS= read -r option; do
    [ -n "$option" ] || continue
    grep -qE -- "(^|[^-A-Za-z0-9])${option}([^-A-Za-z0-9]|\$)" <<<"$text" ||
      fail "$what: $option is not described in its manual page section"
  done <<<"$options"
}

# varnelo(1): OPTIONS and what it names.
page=$(plain "$man/varnelo.1")
check "varnelo" "$("$varnelo" --help | help_options)" \
  "$(with_named_sections "$page" "$(section "$page" ".SH OPTIONS")")"

# varnelo-cli(1): the global options anywhere, then each command.
page=$(plain "$man/varnelo-cli.1")
usage=$("$cli" --help)
check "varnelo-cli" "$(grep -oE -- '--[a-z-]+' <<<"$usage" | sort -u)" "$page"
intro=$(section "$page" ".SH COMMANDS" | sed '/^\.SS /q')
for command in $(sed -n 's/^  varnelo-cli \([a-z][a-z-]*\) .*/\1/p' <<<"$usage"); do
  own=$(section "$page" ".SS $command")
  if [ -z "$own" ]; then
    fail "varnelo-cli $command has no subsection under COMMANDS"
    continue
  fi
  check "varnelo-cli $command" "$("$cli" help "$command" | help_options)" \
    "$(with_named_sections "$page" "$own
$intro")"
done
# One version: both programs' and both pages'; the help names the program.
version=$("$cli" --version | cut -d' ' -f2)
[ "$("$varnelo" --version)" = "Varnelo $version" ] || fail "varnelo --version is not Varnelo $version"
[ "$(grep -c "^\.TH .* \"Varnelo $version\" " "$man"/varnelo*.1 | grep -c ':1$')" = 2 ] || fail "a page is not $version"
"$varnelo" --help | grep -q '^Usage: varnelo ' || fail "varnelo --help does not name varnelo"
exit $status
