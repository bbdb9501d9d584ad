#!/usr/bin/env bash
# xeqhost reach on the bundled campus example: both look-up kinds, the
# export file found beside the model or named, and the refusals.
set -uo pipefail
host=$1
example=$2
nbx=$3
fail=0
check() { # name, expected exit status, expected output pattern, command...
  local name=$1 status=$2 pattern=$3; shift 3
  local out; out=$("$@" 2>&1); local got=$?
  if [ "$got" != "$status" ] || ! grep -qE -- "$pattern" <<<"$out"; then
    echo "FAIL $name (status $got)"; echo "$out"; fail=1
  fi
}
model="$example/campus.json"
check aggregate 0 'top\.campus\.west +10\.1\.0\.0/16 +rip +10\.0\.0\.5 +R' \
  "$host" reach --plugin "$nbx" --model "$model" --network 10.1.1.0/24
check aggregate-count 0 '^3 routers reach 10\.1\.1\.0/24 \(longest match per router\)' \
  "$host" reach --plugin "$nbx" --model "$model" --network 10.1.1.0/24
check exact 0 '^2 routers reach 10\.1\.1\.0/24 \(exact prefix\)' \
  "$host" reach --plugin "$nbx" --model "$model" --network 10.1.1.0/24 --lookup exact
check address 0 'top\.campus\.east +10\.1\.1\.0/24 +direct +10\.1\.1\.1 +selection' \
  "$host" reach --plugin "$nbx" --model "$model" --network 10.1.1.20
check named-file 0 'top\.campus\.core +0\.0\.0\.0/0 +static' \
  "$host" reach --plugin "$nbx" --model "$model" --routes "$example/campus.atv.xml" --network 8.8.8.8
check nobody 1 '^0 routers reach 10\.9\.0\.0/16 \(exact prefix\)' \
  "$host" reach --plugin "$nbx" --model "$model" --network 10.9.0.0/16 --lookup exact
check bad-network 2 'not an IPv4 network' "$host" reach --plugin "$nbx" --model "$model" --network 10.9.0.0/33
check bad-lookup 2 'exact or aggregate' "$host" reach --plugin "$nbx" --model "$model" --network 10.0.0.0/8 --lookup best
check no-file 2 'cannot read' "$host" reach --plugin "$nbx" --model "$model" --routes "$example/missing.atv.xml" --network 10.0.0.0/8
alone=$(mktemp -d)
trap 'rm -rf "$alone"' EXIT
cp "$model" "$alone/campus.json"
check not-found 2 "no routing export file 'campus\.atv\.xml'" \
  "$host" reach --plugin "$nbx" --model "$alone/campus.json" --network 10.0.0.0/8
exit $fail
