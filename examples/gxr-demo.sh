#!/bin/sh
# A few conversions with the gxr tool. Usage: examples/gxr-demo.sh BUILD_DIR
set -eu
build=${1:?usage: $0 BUILD_DIR}
gxr="$build/bin/gxr"

# The tool keeps writable copies of the engine's tables in USER_DATA and reads
# the master tables and geoid grid from GXR_DATA_DIR.
USER_DATA=$(mktemp -d "${TMPDIR:-/tmp}/gxr-demo.XXXXXX")
trap 'rm -rf "$USER_DATA"' EXIT
GXR_DATA_DIR=${GXR_DATA_DIR:-/usr/share/geotranz/data}
export USER_DATA GXR_DATA_DIR

run() {
  printf '$ gxr %s\n' "$*"
  "$gxr" "$@" 2>&1 || echo "(exit status $?)"
}

run convert -t UT 38 -77
run convert -t MG -g 3 38 -77
run convert -t UT "38d30'15.5\"N" "77d0'30\"W"
run convert -s MG -d 18SUH2439607702
run convert -s MG 18SUH2439607702
points='38,-77
51.4778,-0.0015
-33.8688,151.2093'
printf '$ gxr convert -t UT <<CSV\n%s\nCSV\n' "$points"
printf '%s\n' "$points" | "$gxr" convert -t UT
run convert -T NAS-C 38 -77 0
run convert -q height=msl 38 -77 0
run convert -t LE -q lat0=39,lon0=-96,lat1=33,lat2=45 38 -77
run distance 38 -77 51.4778 -0.0015
run convert -t UT 85 10
