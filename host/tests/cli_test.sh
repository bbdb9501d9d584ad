#!/usr/bin/env bash
# The host program's failures: each case must exit with the given status and
# print the given message, never crash.
# Usage: cli_test.sh XEQHOST SARV_PLUGIN FIXTURE_DIR
set -uo pipefail
host=$1 sarv=$2 fixtures=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf '{"format": "xeq-model", "version": 1, "name": "m", "objects": [{"name": "top.a", "type": "node", "attributes": {"X": null}}]}' >"$tmp/bad.json"
good="$fixtures/every_kind.json"
failures=0

expect() { # expect STATUS PATTERN -- COMMAND...
  local status=$1 pattern=$2; shift 3
  local out rc
  out=$("$@" 2>&1); rc=$?
  if [ "$rc" -ne "$status" ] || ! grep -qF -- "$pattern" <<<"$out"; then
    echo "FAIL: $* -> status $rc, output: $out (wanted $status, '$pattern')"
    failures=$((failures + 1))
  fi
}

expect 2 "usage: xeqhost" -- "$host"
expect 2 "unknown command 'frobnicate'" -- "$host" frobnicate
expect 2 "cannot load plug-in '$tmp/none.i0.xeq.so'" -- "$host" call --plugin "$tmp/none.i0.xeq.so" --export x
expect 2 "has no export 'no_such_converter'" -- "$host" convert --plugin "$sarv" --export no_such_converter --model "$good" --out "$tmp/o.json"
expect 2 "$tmp/bad.json: object 'top.a': attribute 'X': null is not a value" -- "$host" check "$tmp/bad.json"
expect 2 "$tmp/missing.json: cannot open the model file" -- "$host" diff "$tmp/missing.json" "$good"
expect 2 "missing option --out" -- "$host" convert --plugin "$sarv" --export bgp_redist_params_for_91_convert --model "$good"
expect 2 "option --out needs a value" -- "$host" convert --plugin "$sarv" --export x --out
expect 2 "cannot read preferences file" -- "$host" --prefs "$tmp/none.prefs" check "$good"
expect 2 "--form must be model-object" -- "$host" convert --form other --plugin "$sarv" --export x --model "$good" --out "$tmp/o.json"
expect 0 "model 'every_kind': 3 object(s)" -- "$host" check "$good"
# A plug-in named without a folder: from XEQHOST_PLUGIN_PATH first, then from
# the build tree's plugins/ beside bin/; an unknown name is reported as typed.
mkdir "$tmp/alt" && cp "$sarv" "$tmp/alt/other.i0.xeq.so"
expect 2 "plug-in '$sarv' has no export 'x'" -- "$host" call --plugin sarv --export x
expect 2 "plug-in '$sarv' has no export 'x'" -- "$host" call --plugin "$(basename "$sarv")" --export x
expect 2 "plug-in '$tmp/alt/other.i0.xeq.so' has no export 'x'" -- \
  env XEQHOST_PLUGIN_PATH="$tmp/none::$tmp/alt" "$host" call --plugin other --export x
expect 2 "cannot load plug-in 'nosuch'" -- "$host" call --plugin nosuch --export x
# The browser face refuses bad arguments before it listens.
expect 2 "serve takes one model file" -- "$host" serve
expect 2 "--port takes a port number" -- "$host" serve "$good" --port 80x
expect 2 "$tmp/missing.json: cannot open the model file" -- "$host" serve "$tmp/missing.json" --plugin sarv
expect 2 "cannot load plug-in 'nosuch'" -- "$host" serve "$good" --plugin nosuch
[ ! -e "$tmp/o.json" ] || { echo "FAIL: a failed conversion wrote its output"; failures=$((failures + 1)); }
exit $((failures > 0))
