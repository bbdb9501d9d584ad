#!/usr/bin/env bash
# The demo: the bundled campus model, saved by release 7.0, carried into the
# current BGP layout by the sarv converters, run through the stand-in host;
# models of older releases of the other converter families likewise; then
# look-ups in the IP space of the campus model with routers and hosts, and
# the reachability analysis window driven through `xeqhost ui`; last, how
# to open the editor on the example in a web browser.
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

# The converters of the other families, each on a model of its older release.
plugins="$build/plugins"
convert() { "$host" convert "$@"; }
echo "== frame relay: the PVC table becomes demands between the FRADs (melk)"
convert --form model-object --plugin "$plugins/melk.i0.xeq.so" \
  --export frelay_convert_pvc_config_to_demands \
  --model "$here/frelay/wan_91pl0.json" --out "$out/wan_91pl1.json"
"$host" diff "$here/frelay/wan_91pl0.json" "$out/wan_91pl1.json"
echo "== token ring and FDDI ports 7.0 -> 8.0 (dwint, gamp)"
convert --plugin "$plugins/dwint.i0.xeq.so" --export tr_params_convert_70_to_80 \
  --old "$here/ports/lan_70.json" --new "$here/ports/lan_80.json" --out "$out/lan_tr.json"
convert --plugin "$plugins/gamp.i0.xeq.so" --export fddi_params_convert_70_to_80 \
  --old "$here/ports/lan_70.json" --new "$out/lan_tr.json" --out "$out/lan_80.json"
"$host" diff "$here/ports/lan_80.json" "$out/lan_80.json"
echo "== IS-IS 8.0 -> 8.1, then the redistribution fix-up for 9.1 (vesk)"
convert --plugin "$plugins/vesk.i0.xeq.so" --export isis_params_convert_80_to_81 \
  --old "$here/isis/backbone_80.json" --new "$here/isis/backbone_81.json" --out "$out/backbone_81.json"
convert --plugin "$plugins/vesk.i0.xeq.so" --export isis_redist_params_for_91_convert \
  --model "$out/backbone_81.json" --out "$out/backbone_91.json"
"$host" diff "$here/isis/backbone_81.json" "$out/backbone_91.json"
echo "== applications, profiles and CPU attributes 7.0 -> 8.0 (hulb)"
cp "$here/apps/office_80.json" "$out/office.json"
for export in app_params_convert_70_to_80 prof_params_convert_70_to_80 cpu_params_convert_70_to_80 \
              app_sup_service_convert_70_to_80; do
  convert --plugin "$plugins/hulb.i0.xeq.so" --export "$export" \
    --old "$here/apps/office_70.json" --new "$out/office.json" --out "$out/office.json"
done
"$host" diff "$here/apps/office_80.json" "$out/office.json"

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
echo "== the main job on the enterprise example (script examples/enterprise/analysis.ui)"
pictures="$build/demo-pictures"
rm -rf "$pictures" && mkdir -p "$pictures"
cp "$here/enterprise/enterprise.json" "$here/enterprise/enterprise.atv.xml" "$pictures/"
(cd "$pictures" && "$host" ui --model enterprise.json --plugin "$nbx" --script "$here/enterprise/analysis.ui")
if command -v rsvg-convert >/dev/null; then
  for svg in "$pictures"/step*.svg; do rsvg-convert "$svg" -o "${svg%.svg}.png"; done
fi
echo "== pictures of each step: $pictures/step1.svg ... step4.svg (and .png)"
echo "== reachability (nbx): which routers reach 10.1.1.0/24, read from campus.atv.xml"
"$host" reach --plugin "$nbx" --model "$here/campus/campus.json" --network 10.1.1.0/24

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

# The editor in a browser, left for the user to start: a server runs until
# stopped, which the demo must not wait for.
editor="$build/demo-editor"
rm -rf "$editor" && mkdir -p "$editor"
cp "$here/enterprise/enterprise.json" "$here/enterprise/enterprise.atv.xml" "$editor/"
echo "== the editor in a web browser, on a copy of the enterprise example:"
echo "   cd $editor && $host serve enterprise.json --port 8416"
echo "   then open the address it prints, http://127.0.0.1:8416/?token=... (Ctrl-C stops it)"
