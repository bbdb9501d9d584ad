#!/bin/sh
# Runs the gxr tool on each case of a table and compares what it does with
# what the case expects. usage: run_cases.sh GXR CASES
#
# A case is a block of lines, ended by a blank line:
#   case  what the case shows
#   run   the tool's arguments, split at blanks (quotes are literal)
#   in    a line of standard input (any number)
#   out   a line of the expected standard output (any number; all of it)
#   has   a text standard output must contain (any number), for long
#         outputs such as help; then out is not compared
#   err   a text standard error must contain (any number); without any,
#         standard error must be empty
#   exit  the expected exit status (default 0)
set -eu
tool=$1 cases=$2
USER_DATA=$(mktemp -d "${TMPDIR:-/tmp}/gxr-cases.XXXXXX")
trap 'rm -rf "$USER_DATA"' EXIT
export USER_DATA
GXR_DATA_DIR=${GXR_DATA_DIR:-/usr/share/geotranz/data}
export GXR_DATA_DIR
set -f # arguments hold * and ? as they are

failures=0 ran=0
name='' args='' input='' expected='' has='' errs='' status=0 has_input=no
nl='
'

# Adds to problem each line of texts ($2) that file $1 lacks.
lacking() {
  printf '%s' "$2" >"$USER_DATA/texts"
  while IFS= read -r text; do
    grep -qF -- "$text" "$1" || problem="${problem}$3 lacks: $text$nl"
  done <"$USER_DATA/texts"
}

run_case() {
  [ -n "$name" ] || return 0
  ran=$((ran + 1))
  # shellcheck disable=SC2086 # split into the tool's arguments
  set -- $args
  if [ "$has_input" = yes ]; then
    printf '%s' "$input" | "$tool" "$@" >"$USER_DATA/out" 2>"$USER_DATA/err" && code=0 || code=$?
  else
    "$tool" "$@" </dev/null >"$USER_DATA/out" 2>"$USER_DATA/err" && code=0 || code=$?
  fi
  problem=''
  [ "$code" = "$status" ] || problem="exit status $code, expected $status$nl"
  if [ -n "$has" ]; then
    lacking "$USER_DATA/out" "$has" "standard output"
  else
    printf '%s' "$expected" >"$USER_DATA/expected"
    cmp -s "$USER_DATA/out" "$USER_DATA/expected" ||
      problem="${problem}standard output differs:$nl$(diff "$USER_DATA/expected" "$USER_DATA/out" || true)$nl"
  fi
  if [ -z "$errs" ]; then
    [ ! -s "$USER_DATA/err" ] || problem="${problem}unexpected standard error$nl"
  else
    lacking "$USER_DATA/err" "$errs" "standard error"
  fi
  if [ -n "$problem" ]; then
    failures=$((failures + 1))
    printf 'FAIL %s\n  gxr %s\n%s  standard error was:\n%s\n\n' "$name" "$args" "$problem" "$(cat "$USER_DATA/err")"
  fi
  name='' args='' input='' expected='' has='' errs='' status=0 has_input=no
}

while IFS= read -r line || [ -n "$line" ]; do
  key=${line%% *}
  value=${line#"$key"}
  value=${value# }
  case $key in
    '') run_case ;;
    '#'*) ;;
    case) name=$value ;;
    run) args=$value ;;
    in) input="$input$value$nl" has_input=yes ;;
    out) expected="$expected$value$nl" ;;
    has) has="$has$value$nl" ;;
    err) errs="$errs$value$nl" ;;
    exit) status=$value ;;
    *) echo "$cases: unknown line: $line" >&2; exit 2 ;;
  esac
done <"$cases"
run_case

echo "$ran case(s), $failures failed"
[ "$failures" -eq 0 ]
