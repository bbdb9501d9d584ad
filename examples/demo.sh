#!/usr/bin/env bash
# The demo: the bundled campus model, saved by release 7.0, carried into the
# current BGP layout by the sarv converters, run through the stand-in host;
# then look-ups in the IP space of the campus model with routers and hosts,
# and the reachability analysis window driven through `xeqhost ui`.
# Usage: examples/demo.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
host="$build/bin/xeqhost"
sarv="$build/plugins/sarv.i0.xeq.so"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

echo "== BGP parameters 7.0 -> 8.0 (two-object converter, objects paired by name)"
"$host" convert --plugin "$sarv" --export bgp_params_convert_70_to_80 \
  --old "$here/bgp/campus_70.json" --new "$here/bgp/campus_80.json" --out "$out/campus_80.json"
echo "== redistribution fix-up for 9.1 (single-object converter)"
"$host" convert --plugin "$sarv" --export bgp_redist_params_for_91_convert \
  --model "$out/campus_80.json" --out "$out/campus_91.json"
echo "== what changed"
"$host" diff "$here/bgp/campus_80.json" "$out/campus_91.json"

nbx="$build/plugins/nbx.i0.xeq.so"
echo "== network IP space (nbx): who owns 172.16.1.1, and what lies in 10.1.0.0/16"
"$host" ipspace --plugin "$nbx" --model "$here/campus/campus.json" --address 172.16.1.1
"$host" ipspace --plugin "$nbx" --model "$here/campus/campus.json" --network 10.1.0.0/16
echo "== the reachability analysis window (xeqhost ui, script examples/campus/analysis.ui)"
cp "$here/campus/campus.json" "$here/campus/campus.atv.xml" "$out/"
(cd "$out" && "$host" ui --model campus.json --plugin "$nbx" --script "$here/campus/analysis.ui")
echo "== the IP report as exported to report.csv"
cat "$out/report.csv"
echo "== the saved model opened again: the window shows the preferences it kept"
(cd "$out" && "$host" ui --model campus.json --plugin "$nbx" --script "$here/campus/reopen.ui")
echo "== reachability (nbx): which routers reach 10.1.1.0/24, read from campus.atv.xml"
"$host" reach --model "$here/campus/campus.json" --network 10.1.1.0/24

tovra="$build/plugins/tovra.i0.xeq.so"
ploz="$build/plugins/ploz.i0.xeq.so"
echo "== BGP route files from router listings (tovra, script examples/bgp-import/import.ui)"
mkdir -p "$out/bgp-import/routes"
cp -r "$here/bgp-import/peers.json" "$here/bgp-import/listings" "$out/bgp-import/"
(cd "$out/bgp-import" && "$host" ui --model peers.json --plugin "$tovra" --script "$here/bgp-import/import.ui")
echo "== the route file of router 10.0.0.3 for AS 700"
cat "$out/bgp-import/routes/AS700_10_0_0_3-bgp_rib.gdf"
echo "== a probe model for the scenario (ploz) in the model directory, printed"
echo "mod_dirs: $out/bgp-import" > "$out/prefs"
"$host" --prefs "$out/prefs" call --plugin "$ploz" --export atg_select_probes --text scenario \
  --model "$out/bgp-import/peers.json" 2>/dev/null
"$host" probes "$out/bgp-import/scenario.prb"

if [ -x "$here/gxr-demo.sh" ]; then
  "$here/gxr-demo.sh" "$build"
fi
