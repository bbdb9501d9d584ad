#!/usr/bin/env bash
# The host program's ipspace command on the bundled campus model: each case
# must exit with the given status and print the given line.
# Usage: ipspace_cli_test.sh XEQHOST NBX_PLUGIN CAMPUS_MODEL
set -uo pipefail
host=$1 nbx=$2 model=$3
failures=0

expect() { # expect STATUS PATTERN -- ARGS...
  local status=$1 pattern=$2; shift 3
  local out rc
  out=$("$host" ipspace "$@" 2>&1); rc=$?
  if [ "$rc" -ne "$status" ] || ! grep -qE -- "$pattern" <<<"$out"; then
    echo "FAIL: ipspace $* -> status $rc, output: $out (wanted $status, '$pattern')"
    failures=$((failures + 1))
  fi
}

run=(--plugin "$nbx" --model "$model")
expect 0 '^top\.campus\.core +core-ge2 +172\.16\.1\.1 \(secondary\)$' -- "${run[@]}" --address 172.16.1.1
expect 0 '^1 entry for address 172\.16\.1\.1$' -- "${run[@]}" --address 172.16.1.1
expect 0 '^top\.campus\.east_pc1 +IF0 +10\.1\.0\.10$' -- "${run[@]}" --network 10.1.0.0/16
expect 0 '^4 entries for network 10\.1\.0\.0/16$' -- "${run[@]}" --network 10.1.0.0 --mask 255.255.0.0
expect 0 '^16 entries for network 0\.0\.0\.0/0$' -- "${run[@]}" --network 0.0.0.0/0
expect 1 '^0 entries for address 10\.1\.0\.99$' -- "${run[@]}" --address 10.1.0.99
expect 1 '^0 entries for network 10\.9\.0\.0/16$' -- "${run[@]}" --network 10.9.0.0/16
expect 2 "'10\.1\.0\.300' is not an IPv4 address" -- "${run[@]}" --address 10.1.0.300
expect 2 "'10\.1\.0\.0' with mask '255\.0\.255\.0' is not an IPv4 network" -- "${run[@]}" --network 10.1.0.0 --mask 255.0.255.0
expect 2 'ipspace takes one of --address or --network' -- "${run[@]}"
expect 2 'ipspace takes one of --address or --network' -- "${run[@]}" --address 10.0.0.1 --network 10.0.0.0/8
expect 2 "the menu has no item 'Reachability Analysis'" -- --plugin "$(dirname "$nbx")/sarv.i0.xeq.so" --model "$model" --address 10.0.0.1
expect 2 'missing option --model' -- --plugin "$nbx" --address 10.0.0.1
exit $((failures > 0))
